#include "app/style/IconButton.h"

#include "app/style/ButtonKeys.h"

#include "app/style/DisabledFade.h"
#include "app/style/KeySurfaceButton.h"
#include "app/style/Palette.h"

#include <QKeyEvent>
#include <QPainter>

#include <cmath>

namespace kestrine {

IconButton::IconButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QMargins IconButton::room() {
    const int room = int(std::ceil(focusRingRoom));
    return QMargins(room, room, room, room);
}

IconButton::IconButton(Symbol symbol, qreal symbolSize, QFont::Weight weight, QWidget* parent) : IconButton(parent) {
    setSymbol(symbol, symbolSize, weight);
}

void IconButton::setSymbol(Symbol symbol, qreal symbolSize, QFont::Weight weight) {
    symbol_ = symbol;
    symbolSize_ = symbolSize;
    weight_ = weight;
    update();
}

QRectF IconButton::frameRect() const {
    return QRectF(QPointF(focusRingRoom, focusRingRoom), QSizeF(side, side));
}

QSize IconButton::sizeHint() const {
    const int outer = int(std::ceil(side + 2 * focusRingRoom));
    return QSize(outer, outer);
}

void IconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = frameRect();
    const QColor ink = Palette::ink();
    painter.setPen(Qt::NoPen);
    painter.setBrush(withOpacity(ink, isDown() ? 0.16 : 0.07));
    painter.drawRoundedRect(frame, corner, corner);
    if (symbol_) {
        SymbolPainter::paint(painter, *symbol_, frame, symbolSize_, ink, weight_);
    } else if (!icon().isNull()) {
        const QSize size = iconSize();
        const QRectF target(frame.center() - QPointF(size.width() / 2.0, size.height() / 2.0), QSizeF(size));
        icon().paint(&painter, target.toAlignedRect());
    } else {
        painter.setPen(ink);
        painter.drawText(frame, Qt::AlignCenter, text());
    }
    if (hasFocus()) KeySurfaceButton::paintFocusRing(painter, frame, corner);
}

void IconButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    QAbstractButton::enterEvent(event);
}

void IconButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    QAbstractButton::leaveEvent(event);
}

void IconButton::keyPressEvent(QKeyEvent* event) {
    if (clickOnReturn(*this, event)) return;
    QAbstractButton::keyPressEvent(event);
}

void IconButton::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    if (event->type() == QEvent::EnabledChange) DisabledFade::follow(this);
    QAbstractButton::changeEvent(event);
}

bool IconButton::hitButton(const QPoint& pos) const {
    return frameRect().contains(QPointF(pos) + QPointF(0.5, 0.5));
}

}  // namespace kestrine
