// The small symbol button (dismiss, edit, more): the symbol in ink, centred in a 28 × 28 frame on a
// rounded rectangle of ink at 0.16 opacity while pressed and 0.07 otherwise.
#pragma once

#include <QColor>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace kestrine {

struct IconButtonStyle {
    static constexpr qreal side = 28;
    static constexpr qreal corner = 8;
    static constexpr qreal restingOpacity = 0.07;
    static constexpr qreal pressedOpacity = 0.16;

    static QSizeF frameSize() { return QSizeF(side, side); }
    static QColor background(bool pressed);
    static QColor labelColor();
    // Draws the background of a button whose frame is `frame`.
    static void paintBackground(QPainter& painter, const QRectF& frame, bool pressed);
};

}  // namespace kestrine
