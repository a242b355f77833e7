// The large key a preset card is drawn on: corner 14, depth 4, the face lighter under the pointer,
// an accent ring on the active preset's card. Presses spring (response 0.24 s, damping 0.58), or
// ease in and out over 0.12 s with reduce motion.
#pragma once

#include "app/style/KeySurface.h"
#include "app/style/PressAnimator.h"

#include <QSizeF>

namespace kestrine {

struct KeyCardStyle {
    // Every preset card and the new-preset card have this face size.
    static constexpr qreal cardWidth = 170;
    static constexpr qreal cardHeight = 108;
    static QSizeF cardSize() { return QSizeF(cardWidth, cardHeight); }

    static constexpr qreal corner = 14;
    static constexpr qreal depth = 4;

    bool selected = false;
    // 0 = at rest, 1 = hovered; values between while the hover animates.
    qreal hover = 0;

    // The surface for a press progress: face raised blended towards raisedHover by `hover`, side
    // keySide, accent ring when selected.
    KeySurface::Params surface(qreal press) const;
    static Motion pressMotion(bool reduceMotion);
};

}  // namespace kestrine
