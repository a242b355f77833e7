#include "app/style/KeyTileButton.h"

#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"

#include <QPainter>

namespace kestrine {

KeyTileButton::KeyTileButton(const KeyTileStyle& style, QWidget* parent) : KeySurfaceButton(parent), style_(style) {
    surfaceGeometryChanged();
}

void KeyTileButton::setStyle(const KeyTileStyle& style) {
    style_ = style;
    surfaceGeometryChanged();
}

void KeyTileButton::setRing(std::optional<Palette::Swatch> ring) {
    if (ring == style_.ring) return;
    style_.ring = ring;
    update();
}

KeySurface::Params KeyTileButton::surfaceParams() const {
    return style_.surface(isHovered(), pressProgress());
}

Motion KeyTileButton::pressMotion() const {
    return KeyTileStyle::pressMotion(ReduceMotion::isOn());
}

void KeyTileButton::paintLabel(QPainter& painter, const QRectF& face) {
    if (!icon().isNull()) {
        const QSizeF size = iconSize();
        const QRectF target(face.center() - QPointF(size.width() / 2, size.height() / 2), size);
        icon().paint(&painter, target.toAlignedRect());  // the whole key fades when disabled
        return;
    }
    if (!text().isEmpty()) {
        painter.setFont(font());
        painter.setPen(Palette::ink());
        painter.drawText(face, Qt::AlignCenter | Qt::TextWordWrap, text());
    }
}

}  // namespace kestrine
