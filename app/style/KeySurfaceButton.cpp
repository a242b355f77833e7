#include "app/style/KeySurfaceButton.h"

#include "app/style/ButtonKeys.h"

#include "app/style/DisabledFade.h"
#include "app/style/Palette.h"
#include "app/style/ReduceMotion.h"
#include "app/style/SpringCurve.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kestrine {

KeySurfaceButton::KeySurfaceButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(&pressAnimation_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        press_ = value.toReal();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, &KeySurfaceButton::followDownState);
    connect(this, &QAbstractButton::released, this, &KeySurfaceButton::followDownState);
}

void KeySurfaceButton::setHovered(bool hovered) {
    if (hovered == hovered_) return;
    hovered_ = hovered;
    update();
}

QMarginsF KeySurfaceButton::plateMargins() const {
    const QMarginsF shadow = KeySurface::shadowMargins();
    const qreal ring = focusRingGap + focusRingWidth;
    return QMarginsF(std::max(shadow.left(), ring), std::max(shadow.top(), ring), std::max(shadow.right(), ring),
                     std::max(shadow.bottom(), ring));
}

QMargins KeySurfaceButton::room() const {
    const QMarginsF room = plateMargins();
    return QMargins(int(std::ceil(room.left())), int(std::ceil(room.top())), int(std::ceil(room.right())),
                    int(std::ceil(room.bottom())));
}

void KeySurfaceButton::surfaceGeometryChanged() {
    updateGeometry();
    update();
}

QRectF KeySurfaceButton::restingFaceRect() const {
    const QMarginsF room = plateMargins();
    return QRectF(QPointF(std::ceil(room.left()), std::ceil(room.top())), faceSize());
}

QRectF KeySurfaceButton::currentFaceRect() const {
    KeySurface::Params params = surfaceParams();
    params.press = pressProgress();
    return KeySurface::faceRect(restingFaceRect(), params);
}

QSize KeySurfaceButton::sizeHint() const {
    const QMarginsF room = plateMargins();
    const QSizeF face = faceSize();
    const qreal depth = surfaceParams().depth;
    return QSize(int(std::ceil(room.left()) + std::ceil(face.width() + room.right())),
                 int(std::ceil(room.top()) + std::ceil(face.height() + depth + room.bottom())));
}

KeySurfaceButton::PressMotion KeySurfaceButton::springPress() {
    if (ReduceMotion::isOn()) return {120, QEasingCurve(QEasingCurve::InOutCubic)};
    // The spring settles within a thousandth of its travel in 0.46 s.
    return {460, springCurve<0.24, 0.58, 460>()};
}

void KeySurfaceButton::setPressProgress(qreal progress) {
    pressAnimation_.stop();
    pressTarget_ = progress;
    press_ = progress;
    update();
}

void KeySurfaceButton::followDownState() {
    const qreal target = isDown() ? 1.0 : 0.0;
    if (pressTarget_ == target) return;
    pressTarget_ = target;
    pressAnimation_.stop();
    const PressMotion motion = pressMotion();
    if (motion.durationMs <= 0 || press_ == target) {
        press_ = target;
        update();
        return;
    }
    // A press released half-way turns back from where the face is.
    pressAnimation_.setStartValue(press_);
    pressAnimation_.setEndValue(target);
    pressAnimation_.setDuration(motion.durationMs);
    pressAnimation_.setEasingCurve(motion.curve);
    pressAnimation_.start();
}

void KeySurfaceButton::paintEvent(QPaintEvent*) {
    // setDown() from code or a drag leaving the button changes the state without a signal.
    followDownState();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    KeySurface::Params params = surfaceParams();
    params.press = pressProgress();
    const QRectF resting = restingFaceRect();
    const QRectF face = KeySurface::paint(painter, resting, params);
    paintLabel(painter, face);
    if (hasFocus()) paintFocusRing(painter, KeySurface::plateRect(resting, params.depth), params.corner);
}

void KeySurfaceButton::paintFocusRing(QPainter& painter, const QRectF& around, qreal corner) {
    const qreal out = focusRingGap + focusRingWidth / 2;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(withOpacity(Palette::accent(), focusRingOpacity), focusRingWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(around.adjusted(-out, -out, out, out), corner + out, corner + out);
    painter.restore();
}

void KeySurfaceButton::enterEvent(QEnterEvent* event) {
    setHovered(true);
    QAbstractButton::enterEvent(event);
}

void KeySurfaceButton::leaveEvent(QEvent* event) {
    setHovered(false);
    QAbstractButton::leaveEvent(event);
}

void KeySurfaceButton::keyPressEvent(QKeyEvent* event) {
    if (clickOnReturn(*this, event)) return;
    QAbstractButton::keyPressEvent(event);
}

void KeySurfaceButton::changeEvent(QEvent* event) {
    if (Palette::isAppearanceChange(event)) update();
    if (event->type() == QEvent::EnabledChange) {
        DisabledFade::follow(this);
        if (!isEnabled()) setHovered(false);
    }
    QAbstractButton::changeEvent(event);
}

bool KeySurfaceButton::hitButton(const QPoint& pos) const {
    const KeySurface::Params params = surfaceParams();
    return KeySurface::plateRect(restingFaceRect(), params.depth).contains(QPointF(pos) + QPointF(0.5, 0.5));
}

}  // namespace kestrine
