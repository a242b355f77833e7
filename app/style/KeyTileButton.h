// A button drawn in KeyTileStyle. It shows its icon (at iconSize) or its text centred on the face;
// subclasses with richer labels override paintLabel.
#pragma once

#include "app/style/KeySurfaceButton.h"
#include "app/style/KeyTileStyle.h"

namespace kestrine {

class KeyTileButton : public KeySurfaceButton {
    Q_OBJECT
public:
    explicit KeyTileButton(const KeyTileStyle& style = {}, QWidget* parent = nullptr);

    const KeyTileStyle& style() const { return style_; }
    void setStyle(const KeyTileStyle& style);
    // The ring (e.g. the selection); none removes it.
    void setRing(std::optional<Palette::Swatch> ring);

protected:
    QSizeF faceSize() const override { return style_.size; }
    KeySurface::Params surfaceParams() const override;
    Motion pressMotion() const override;
    void paintLabel(QPainter& painter, const QRectF& face) override;

private:
    KeyTileStyle style_;
};

}  // namespace kestrine
