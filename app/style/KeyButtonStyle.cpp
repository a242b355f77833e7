#include "app/style/KeyButtonStyle.h"

#include "app/style/Palette.h"
#include "app/style/Typography.h"

#include <QFontMetricsF>

#include <cmath>

namespace kestrine {

QFont KeyButtonStyle::font() const {
    return Typography::font(compact ? TextStyle::caption : TextStyle::callout, QFont::Medium);
}

QColor KeyButtonStyle::textColor() const {
    return prominent ? Palette::onAccent() : Palette::ink();
}

QSizeF KeyButtonStyle::faceSize(const QString& text) const {
    const QFontMetricsF fm(font());
    const QSizeF pad = padding();
    return QSizeF(std::ceil(fm.horizontalAdvance(text)) + 2 * pad.width(), std::ceil(fm.height()) + 2 * pad.height());
}

KeySurface::Params KeyButtonStyle::surface(qreal press) const {
    KeySurface::Params params;
    params.corner = corner();
    params.depth = depth;
    params.press = press;
    params.face = prominent ? Palette::accent() : Palette::raised();
    params.side = prominent ? Palette::accentSide() : Palette::keySide();
    if (active) params.ring = Palette::accent();
    return params;
}

Motion KeyButtonStyle::pressMotion(bool reduceMotion) {
    return reduceMotion ? Motion::immediate() : Motion::easeOut(0.06);
}

}  // namespace kestrine
