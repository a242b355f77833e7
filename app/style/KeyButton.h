// A text button drawn as a key (the settings window's "Change", "Save", "Cancel" keys): plain
// (raised face, ink text) or prominent (accent face, onAccent text), regular or compact, with an
// accent ring while active. Presses ease out over 0.06 s, and do not animate with reduce motion.
#pragma once

#include "app/style/KeySurfaceButton.h"

namespace kestrine {

class KeyButton : public KeySurfaceButton {
    Q_OBJECT
public:
    struct Style {
        bool prominent = false;
        bool compact = false;
        bool active = false;
    };

    explicit KeyButton(const QString& text = {}, QWidget* parent = nullptr);
    KeyButton(const QString& text, const Style& style, QWidget* parent = nullptr);

    const Style& style() const { return style_; }
    void setProminent(bool prominent);
    void setCompact(bool compact);
    void setActive(bool active);

    // Caption when compact, callout otherwise; medium weight.
    QFont labelFont() const;

protected:
    // The text's size plus 9 × 4 points of padding on each side when compact, 14 × 6 otherwise.
    QSizeF faceSize() const override;
    KeySurface::Params surfaceParams() const override;
    PressMotion pressMotion() const override;
    void paintLabel(QPainter& painter, const QRectF& face) override;

private:
    Style style_;
};

}  // namespace kestrine
