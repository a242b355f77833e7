// A key-shaped tile: its icon (at iconSize) or its text centred on a square face that lightens under
// the pointer and can carry a coloured ring (selection, keyboard choice). Presses spring.
// Subclasses with richer labels override paintLabel.
#pragma once

#include "app/style/KeySurfaceButton.h"
#include "app/style/Palette.h"

#include <optional>

namespace kestrine {

class KeyTileButton : public KeySurfaceButton {
    Q_OBJECT
public:
    explicit KeyTileButton(qreal side = 60, qreal corner = 13, qreal depth = 3, QWidget* parent = nullptr);

    // The ring (e.g. the selection); none removes it.
    void setRing(std::optional<Palette::Swatch> ring);
    std::optional<Palette::Swatch> ring() const { return ring_; }

protected:
    QSizeF faceSize() const override { return QSizeF(side_, side_); }
    KeySurface::Params surfaceParams() const override;
    void paintLabel(QPainter& painter, const QRectF& face) override;

private:
    qreal side_;
    qreal corner_;
    qreal depth_;
    std::optional<Palette::Swatch> ring_;
};

}  // namespace kestrine
