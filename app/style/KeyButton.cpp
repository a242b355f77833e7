#include "app/style/KeyButton.h"

#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "app/style/Typography.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace kestrine {

KeyButton::KeyButton(const QString& text, QWidget* parent) : KeyButton(text, Style(), parent) {}

KeyButton::KeyButton(const QString& text, const Style& style, QWidget* parent)
    : KeySurfaceButton(parent), style_(style) {
    setText(text);
    surfaceGeometryChanged();
}

void KeyButton::setProminent(bool prominent) {
    style_.prominent = prominent;
    update();
}

void KeyButton::setCompact(bool compact) {
    style_.compact = compact;
    surfaceGeometryChanged();
}

void KeyButton::setActive(bool active) {
    style_.active = active;
    update();
}

QFont KeyButton::labelFont() const {
    return Typography::font(style_.compact ? TextStyle::caption : TextStyle::callout, QFont::Medium);
}

QSizeF KeyButton::faceSize() const {
    const QFontMetricsF fm(labelFont());
    const QSizeF pad = style_.compact ? QSizeF(9, 4) : QSizeF(14, 6);
    return QSizeF(std::ceil(fm.horizontalAdvance(text())) + 2 * pad.width(), std::ceil(fm.height()) + 2 * pad.height());
}

KeySurface::Params KeyButton::surfaceParams() const {
    KeySurface::Params params;
    params.corner = style_.compact ? 7 : 9;
    params.depth = 2;
    params.face = style_.prominent ? Palette::accent() : Palette::raised();
    params.side = style_.prominent ? Palette::accentSide() : Palette::keySide();
    if (style_.active) params.ring = Palette::accent();
    return params;
}

KeySurfaceButton::PressMotion KeyButton::pressMotion() const {
    if (ReduceMotion::isOn()) return {};
    return {60, QEasingCurve(QEasingCurve::OutQuad)};
}

void KeyButton::paintLabel(QPainter& painter, const QRectF& face) {
    painter.setFont(labelFont());
    painter.setPen(style_.prominent ? Palette::onAccent() : Palette::ink());
    painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, text());
}

}  // namespace kestrine
