#include "app/style/KeyTileButton.h"

#include <QPainter>

namespace kestrine {

KeyTileButton::KeyTileButton(qreal side, qreal corner, qreal depth, QWidget* parent)
    : KeySurfaceButton(parent), side_(side), corner_(corner), depth_(depth) {
    surfaceGeometryChanged();
}

void KeyTileButton::setRing(std::optional<Palette::Swatch> ring) {
    if (ring == ring_) return;
    ring_ = ring;
    update();
}

KeySurface::Params KeyTileButton::surfaceParams() const {
    return KeySurface::key(corner_, depth_, isHovered() ? 1 : 0,
                           ring_ ? std::optional<QColor>(Palette::resolve(*ring_)) : std::nullopt);
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
