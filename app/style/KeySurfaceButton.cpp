#include "app/style/KeySurfaceButton.h"

#include "app/style/ButtonKeys.h"

#include "app/layout/LayoutOverhang.h"
#include "app/style/GroupOpacity.h"
#include "app/style/Palette.h"

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
    connect(&animator_, &PressAnimator::valueChanged, this, qOverload<>(&QWidget::update));
    connect(this, &QAbstractButton::pressed, this, &KeySurfaceButton::followDownState);
    connect(this, &QAbstractButton::released, this, &KeySurfaceButton::followDownState);
}

void KeySurfaceButton::setHovered(bool hovered) {
    if (hovered == hovered_) return;
    hovered_ = hovered;
    update();
}

QMarginsF KeySurfaceButton::overhang() const {
    const QMarginsF shadow = KeySurface::shadowMargins();
    const qreal ring = focusRingGap + focusRingWidth;
    return QMarginsF(std::max(shadow.left(), ring), std::max(shadow.top(), ring), std::max(shadow.right(), ring),
                     std::max(shadow.bottom(), ring));
}

void KeySurfaceButton::surfaceGeometryChanged() {
    const QMarginsF room = overhang();
    LayoutOverhang::set(this, QMargins(int(std::ceil(room.left())), int(std::ceil(room.top())),
                                       int(std::ceil(room.right())), int(std::ceil(room.bottom()))));
    updateGeometry();
    update();
}

QRectF KeySurfaceButton::restingFaceRect() const {
    const QMarginsF room = overhang();
    return QRectF(QPointF(std::ceil(room.left()), std::ceil(room.top())), faceSize());
}

QRectF KeySurfaceButton::currentFaceRect() const {
    KeySurface::Params params = surfaceParams();
    params.press = pressProgress();
    return KeySurface::faceRect(restingFaceRect(), params);
}

QSize KeySurfaceButton::sizeHint() const {
    const QMarginsF room = overhang();
    const QSizeF face = faceSize();
    const qreal depth = surfaceParams().depth;
    return QSize(int(std::ceil(room.left()) + std::ceil(face.width() + room.right())),
                 int(std::ceil(room.top()) + std::ceil(face.height() + depth + room.bottom())));
}

void KeySurfaceButton::followDownState() {
    const double target = isDown() ? 1.0 : 0.0;
    if (animator_.target() != target) animator_.animateTo(target, pressMotion());
}

void KeySurfaceButton::paintEvent(QPaintEvent*) {
    // setDown() from code or a drag leaving the button changes the state without a signal.
    followDownState();

    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    paintWithGroupOpacity(painter, rect(), isEnabled() ? 1.0 : disabledOpacity, [this](QPainter& p) {
        KeySurface::Params params = surfaceParams();
        params.press = pressProgress();
        const QRectF resting = restingFaceRect();
        const QRectF face = KeySurface::paint(p, resting, params);
        paintLabel(p, face);
        if (hasFocus()) paintFocusRing(p, KeySurface::plateRect(resting, params.depth), params.corner);
    });
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
    if (Palette::isAppearanceChange(event) || event->type() == QEvent::EnabledChange) update();
    if (event->type() == QEvent::EnabledChange && !isEnabled()) setHovered(false);
    QAbstractButton::changeEvent(event);
}

bool KeySurfaceButton::hitButton(const QPoint& pos) const {
    const KeySurface::Params params = surfaceParams();
    return KeySurface::plateRect(restingFaceRect(), params.depth).contains(QPointF(pos) + QPointF(0.5, 0.5));
}

}  // namespace kestrine
