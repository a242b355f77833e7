#include "app/style/KeyTileStyle.h"

namespace kestrine {

KeySurface::Params KeyTileStyle::surface(bool hovered, qreal press) const {
    KeySurface::Params params;
    params.corner = corner;
    params.depth = depth;
    params.press = press;
    params.face = hovered ? Palette::raisedHover() : Palette::raised();
    params.side = Palette::keySide();
    if (ring) params.ring = Palette::resolve(*ring);
    return params;
}

Motion KeyTileStyle::pressMotion(bool reduceMotion) {
    return reduceMotion ? Motion::easeInOut(0.12) : Motion::spring(0.24, 0.58);
}

}  // namespace kestrine
