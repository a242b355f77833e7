// A key-shaped tile: the label framed to the tile's face on a key surface that lightens under the
// pointer and can carry a coloured ring (selection, keyboard choice). Presses spring.
#pragma once

#include "app/style/KeySurface.h"
#include "app/style/Palette.h"
#include "app/style/PressAnimator.h"

#include <QSizeF>

#include <optional>

namespace kestrine {

struct KeyTileStyle {
    QSizeF size{60, 60};
    qreal corner = 13;
    qreal depth = 3;
    std::optional<Palette::Swatch> ring;

    static KeyTileStyle square(qreal side, qreal corner, qreal depth) { return {QSizeF(side, side), corner, depth, {}}; }

    // Face raisedHover while hovered and raised otherwise, side keySide, the ring resolved now.
    KeySurface::Params surface(bool hovered, qreal press) const;
    // A spring (response 0.24 s, damping fraction 0.58), or a 0.12 s ease-in-out with reduce motion.
    static Motion pressMotion(bool reduceMotion);
};

}  // namespace kestrine
