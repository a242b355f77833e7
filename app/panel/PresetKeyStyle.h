// The look of one key of the mini dock: a 108 × 68 key cap standing 3 points deep, lighter under
// the pointer, ringed in the accent colour while it holds the keyboard selection.
#pragma once

#include "app/style/KeySurface.h"
#include "app/style/PressAnimator.h"

#include <QSizeF>

namespace kestrine {

struct PresetKeyStyle {
    bool focused = false;  // the key holds the keyboard selection
    bool hovered = false;  // the pointer is over the key

    static constexpr qreal keyWidth = 108;
    static constexpr qreal keyHeight = 68;
    static constexpr qreal keyDepth = 3;
    static constexpr qreal corner = 14;

    static QSizeF faceSize() { return {keyWidth, keyHeight}; }
    // Face raisedHover or raised, side keySide, accent ring when focused; colours resolved now.
    KeySurface::Params surface(qreal press) const;
    // A spring (response 0.24 s, damping fraction 0.58), or a 0.12 s ease-in-out with reduce motion.
    static Motion pressMotion(bool reduceMotion);
};

}  // namespace kestrine
