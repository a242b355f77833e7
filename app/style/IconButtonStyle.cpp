#include "app/style/IconButtonStyle.h"

#include "app/style/Palette.h"

#include <QPainter>

namespace kestrine {

QColor IconButtonStyle::background(bool pressed) {
    return withOpacity(Palette::ink(), pressed ? pressedOpacity : restingOpacity);
}

QColor IconButtonStyle::labelColor() {
    return Palette::ink();
}

void IconButtonStyle::paintBackground(QPainter& painter, const QRectF& frame, bool pressed) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(background(pressed));
    painter.drawRoundedRect(frame, corner, corner);
    painter.restore();
}

}  // namespace kestrine
