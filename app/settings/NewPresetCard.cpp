#include "app/settings/NewPresetCard.h"

#include "app/style/ButtonKeys.h"

#include "app/Localization.h"
#include "app/settings/PresetCard.h"
#include "app/style/KeySurfaceButton.h"
#include "app/style/Palette.h"
#include "app/style/Symbol.h"
#include "app/style/Typography.h"

#include <QFontMetricsF>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace kestrine {

namespace {

constexpr qreal kPlusSize = 18;

}  // namespace

void paintDashedOutline(QPainter& painter, const QRectF& rect, qreal corner) {
    const qreal width = NewPresetCard::outlineWidth;
    const QRectF inner = rect.adjusted(width / 2, width / 2, -width / 2, -width / 2);
    QPen pen(withOpacity(Palette::inkSoft(), NewPresetCard::outlineOpacity), width);
    // Dash lengths are in units of the pen width.
    pen.setDashPattern({6 / width, 5 / width});
    pen.setMiterLimit(10);
    pen.setJoinStyle(Qt::MiterJoin);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    const qreal r = std::max(qreal(0), corner - width / 2);
    painter.drawRoundedRect(inner, r, r);
    painter.restore();
}

NewPresetCard::NewPresetCard(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(Localization::tr(QStringLiteral("preset.new")));
    setAccessibleDescription(Localization::tr(QStringLiteral("preset.new.sub")));
}

QMargins NewPresetCard::room() {
    // The preset cards' room (more than the focus ring needs), so that the flow lines both up.
    return PresetCard::surfaceRoom();
}

QRectF NewPresetCard::cardRect() const {
    return QRectF(QPointF(room().left(), room().top()), PresetCard::cardSize());
}

QSize NewPresetCard::sizeHint() const {
    const QMargins r = room();
    return QSize(int(PresetCard::cardWidth) + r.left() + r.right(), int(PresetCard::cardHeight + extraBelow) + r.top() + r.bottom());
}

void NewPresetCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const QRectF card = cardRect();
    if (hovered_) {
        QPainterPath shape;
        shape.addRoundedRect(card, corner, corner);
        painter.fillPath(shape, withOpacity(Palette::ink(), hoverFillOpacity));
    }
    paintDashedOutline(painter, card, corner);

    // A centred column: plus, title, subtitle.
    const QFont titleFont = Typography::font(TextStyle::subheadline, QFont::DemiBold);
    const QFont subFont = Typography::font(TextStyle::caption2);
    const qreal titleHeight = QFontMetricsF(titleFont).height();
    const qreal subHeight = QFontMetricsF(subFont).height();
    const qreal total = kPlusSize + spacing + titleHeight + spacing + subHeight;
    qreal y = card.center().y() - total / 2;
    SymbolPainter::paint(painter, Symbol::plus, QRectF(card.left(), y, card.width(), kPlusSize), kPlusSize,
                         Palette::ink(), QFont::Medium);
    y += kPlusSize + spacing;
    const QRectF textColumn = card.adjusted(8, 0, -8, 0);
    painter.setFont(titleFont);
    painter.setPen(Palette::ink());
    painter.drawText(QRectF(textColumn.left(), y, textColumn.width(), titleHeight), Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetricsF(titleFont).elidedText(Localization::tr(QStringLiteral("preset.new")), Qt::ElideRight,
                                                         textColumn.width()));
    y += titleHeight + spacing;
    painter.setFont(subFont);
    painter.setPen(Palette::inkSoft());
    painter.drawText(QRectF(textColumn.left(), y, textColumn.width(), subHeight), Qt::AlignCenter | Qt::TextSingleLine,
                     QFontMetricsF(subFont).elidedText(Localization::tr(QStringLiteral("preset.new.sub")),
                                                       Qt::ElideRight, textColumn.width()));
    if (hasFocus()) KeySurfaceButton::paintFocusRing(painter, card, corner);
}

void NewPresetCard::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void NewPresetCard::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

void NewPresetCard::keyPressEvent(QKeyEvent* event) {
    if (clickOnReturn(*this, event)) return;
    QAbstractButton::keyPressEvent(event);
}

void NewPresetCard::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    QAbstractButton::changeEvent(event);
}

bool NewPresetCard::hitButton(const QPoint& pos) const {
    return cardRect().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

}  // namespace kestrine
