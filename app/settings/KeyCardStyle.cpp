#include "app/settings/KeyCardStyle.h"

#include "app/style/Palette.h"

#include <algorithm>

namespace kestrine {

namespace {

QColor blend(const QColor& from, const QColor& to, qreal t) {
    t = std::clamp(t, qreal(0), qreal(1));
    if (t <= 0) return from;
    if (t >= 1) return to;
    return QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                            float(from.greenF() + (to.greenF() - from.greenF()) * t),
                            float(from.blueF() + (to.blueF() - from.blueF()) * t),
                            float(from.alphaF() + (to.alphaF() - from.alphaF()) * t));
}

}  // namespace

KeySurface::Params KeyCardStyle::surface(qreal press) const {
    KeySurface::Params params;
    params.corner = corner;
    params.depth = depth;
    params.press = press;
    params.face = blend(Palette::raised(), Palette::raisedHover(), hover);
    params.side = Palette::keySide();
    if (selected) params.ring = Palette::accent();
    return params;
}

Motion KeyCardStyle::pressMotion(bool reduceMotion) {
    return reduceMotion ? Motion::easeInOut(0.12) : Motion::spring(0.24, 0.58);
}

}  // namespace kestrine
