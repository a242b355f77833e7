// A text button drawn in KeyButtonStyle (the settings window's "Change", "Save", "Cancel" keys).
#pragma once

#include "app/style/KeyButtonStyle.h"
#include "app/style/KeySurfaceButton.h"

namespace kestrine {

class KeyButton : public KeySurfaceButton {
    Q_OBJECT
public:
    explicit KeyButton(const QString& text = {}, const KeyButtonStyle& style = {}, QWidget* parent = nullptr);

    const KeyButtonStyle& style() const { return style_; }
    void setStyle(const KeyButtonStyle& style);
    void setProminent(bool prominent);
    void setCompact(bool compact);
    void setActive(bool active);

protected:
    QSizeF faceSize() const override;
    KeySurface::Params surfaceParams() const override;
    Motion pressMotion() const override;
    void paintLabel(QPainter& painter, const QRectF& face) override;

private:
    KeyButtonStyle style_;
};

}  // namespace kestrine
