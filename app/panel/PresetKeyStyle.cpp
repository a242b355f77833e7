#include "app/panel/PresetKeyStyle.h"

#include "app/style/Palette.h"

namespace kestrine {

KeySurface::Params PresetKeyStyle::surface(qreal press) const {
    KeySurface::Params params;
    params.corner = corner;
    params.depth = keyDepth;
    params.press = press;
    params.face = hovered ? Palette::raisedHover() : Palette::raised();
    params.side = Palette::keySide();
    if (focused) params.ring = Palette::accent();
    return params;
}

Motion PresetKeyStyle::pressMotion(bool reduceMotion) {
    return reduceMotion ? Motion::easeInOut(0.12) : Motion::spring(0.24, 0.58);
}

}  // namespace kestrine
