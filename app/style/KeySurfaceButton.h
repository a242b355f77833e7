// The behaviour shared by the buttons drawn as keys: hover tracking, an animated press, a focus
// ring for keyboard focus, Return and Space activation, disabled opacity, and a repaint when the
// appearance changes. Subclasses say how big the face is, how the key looks and what it shows.
#pragma once

#include "app/style/KeySurface.h"

#include <QAbstractButton>
#include <QEasingCurve>
#include <QVariantAnimation>

namespace kestrine {

class KeySurfaceButton : public QAbstractButton {
    Q_OBJECT
    // The room kept around what the button shows, inside its geometry (whole points).
    Q_PROPERTY(QMargins room READ room)
public:
    explicit KeySurfaceButton(QWidget* parent = nullptr);

    // The pointer is over the button. Containers whose whole area counts as the button's hover
    // region may drive it with setHovered.
    bool isHovered() const { return hovered_; }
    void setHovered(bool hovered);

    // How a press moves the face: along `curve` over `durationMs`; 0 moves it at once.
    struct PressMotion {
        int durationMs = 0;
        QEasingCurve curve;
    };
    // Keys and tiles spring (response 0.24 s, damping fraction 0.58), or ease in and out over
    // 0.12 s with reduce motion.
    static PressMotion springPress();

    // 0 = up, 1 = down, in between while the press animates (beyond 1 while a spring overshoots).
    qreal pressProgress() const { return press_; }
    // Jumps to a progress, stopping any animation (pictures of a key held down).
    void setPressProgress(qreal progress);
    const QVariantAnimation& pressAnimation() const { return pressAnimation_; }
    QVariantAnimation& pressAnimation() { return pressAnimation_; }

    // The face's resting rectangle in widget coordinates, and where it is drawn now.
    QRectF restingFaceRect() const;
    QRectF currentFaceRect() const;

    // The face and plate plus the room for the shadow and the focus ring.
    QSize sizeHint() const override;
    // The room around the visible button: whatever the user does not see as the button itself.
    virtual QMargins room() const;
    QSize minimumSizeHint() const override { return sizeHint(); }

    static constexpr qreal focusRingGap = 2;
    static constexpr qreal focusRingWidth = 2;
    static constexpr qreal focusRingOpacity = 0.6;
    // The keyboard-focus ring: accent, 2 points outside `around`.
    static void paintFocusRing(QPainter& painter, const QRectF& around, qreal corner);

protected:
    virtual QSizeF faceSize() const = 0;
    // The surface for the current state; `press` is filled in by the caller.
    virtual KeySurface::Params surfaceParams() const = 0;
    virtual PressMotion pressMotion() const { return springPress(); }
    // Draws the label on the face, at its current place.
    virtual void paintLabel(QPainter& painter, const QRectF& face) = 0;
    // Room around the plate for the shadow and focus ring: where the face sits in the widget.
    // room() is the part of it the user does not see as the button.
    virtual QMarginsF plateMargins() const;

    // Call when faceSize() or plateMargins() changes.
    void surfaceGeometryChanged();

    void paintEvent(QPaintEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool hitButton(const QPoint& pos) const override;

private:
    void followDownState();

    QVariantAnimation pressAnimation_;
    qreal press_ = 0;
    qreal pressTarget_ = 0;
    bool hovered_ = false;
};

}  // namespace kestrine
