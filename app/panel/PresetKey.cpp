#include "app/panel/PresetKey.h"

#include "app/Localization.h"
#include "app/style/KeyCap.h"
#include "app/style/Palette.h"
#include "app/style/Symbol.h"
#include "app/style/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kestrine {

PresetKey::PresetKey(const Preset& preset, int index, bool active, QWidget* parent)
    : KeySurfaceButton(parent),
      preset_(preset),
      emoji_(QString::fromStdString(preset.displayEmoji())),
      index_(index),
      active_(active) {
    // The panel drives the keys from the keyboard; the keys themselves never take focus.
    setFocusPolicy(Qt::NoFocus);
    const QString name = QString::fromStdString(preset.name);
    setToolTip(name);
    setAccessibleName(active ? Localization::format("mini.a11y.active", name) : name);
    surfaceGeometryChanged();
}

QString PresetKey::digit() const {
    return index_ <= lastNumberedIndex ? QString::number(index_ + 1) : QString();
}

void PresetKey::setFocusedKey(bool focused) {
    if (focused == focused_) return;
    focused_ = focused;
    update();
}

QFont PresetKey::nameFont() {
    return Typography::font(TextStyle::subheadline, QFont::Medium);
}

KeySurface::Params PresetKey::surfaceParams() const {
    return KeySurface::key(corner, keyDepth, isHovered() ? 1 : 0,
                           focused_ ? std::optional<QColor>(Palette::accent()) : std::nullopt);
}


void PresetKey::paintLabel(QPainter& painter, const QRectF& face) {
    painter.save();
    const QFont emojiFont = Typography::systemFont(emojiSize);
    const QFont labelFont = nameFont();
    const QFontMetricsF emojiMetrics(emojiFont);
    const QFontMetricsF nameMetrics(labelFont);

    // The column of emoji and name, centred in the face inside its padding.
    const QRectF inner = face.adjusted(labelPadding, labelPadding, -labelPadding, -labelPadding);
    const qreal emojiHeight = emojiMetrics.height();
    const qreal nameHeight = nameMetrics.height();
    const qreal columnHeight = emojiHeight + labelSpacing + nameHeight;
    const qreal top = inner.top() + (inner.height() - columnHeight) / 2;

    painter.setPen(Palette::ink());
    painter.setFont(emojiFont);
    painter.drawText(QRectF(inner.left(), top, inner.width(), emojiHeight), Qt::AlignCenter, emoji_);

    painter.setFont(labelFont);
    const QString name =
        nameMetrics.elidedText(QString::fromStdString(preset_.name), Qt::ElideRight, inner.width());
    painter.drawText(QRectF(inner.left(), top + emojiHeight + labelSpacing, inner.width(), nameHeight),
                     Qt::AlignCenter | Qt::TextSingleLine, name);

    if (const QString number = digit(); !number.isEmpty()) {
        const QRectF cap(face.topLeft() + QPointF(digitInset, digitInset), KeyCap::faceSize(number, digitCapSize));
        KeyCap::paint(painter, cap, number, digitCapSize);
    }
    if (active_) {
        const QRectF box(face.right() - checkInset - checkSize, face.top() + checkInset, checkSize, checkSize);
        SymbolPainter::paint(painter, Symbol::checkmarkCircleFill, box, checkSize, Palette::accent());
    }
    painter.restore();
}

void PresetKey::enterEvent(QEnterEvent* event) {
    KeySurfaceButton::enterEvent(event);
    emit hoverChanged(true);
}

void PresetKey::leaveEvent(QEvent* event) {
    KeySurfaceButton::leaveEvent(event);
    emit hoverChanged(false);
}

}  // namespace kestrine
