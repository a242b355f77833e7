#include "app/style/KeySurface.h"

#include "app/style/DropShadow.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace kestrine {

namespace {

qreal clampedCorner(const QRectF& rect, qreal corner) {
    return std::clamp(corner, qreal(0), std::min(rect.width(), rect.height()) / 2);
}

QPainterPath roundedPath(const QRectF& rect, qreal corner) {
    QPainterPath path;
    const qreal r = clampedCorner(rect, corner);
    path.addRoundedRect(rect, r, r);
    return path;
}

void paintShadow(QPainter& painter, const QRectF& plate, qreal corner, const KeySurface::Shadow& shadow,
                 const QColor& color) {
    if (color.alpha() == 0 || plate.isEmpty()) return;
    if (shadow.radius <= 0) {
        painter.fillPath(roundedPath(plate.translated(0, shadow.offset), corner), color);
        return;
    }
    // Quantise the blur so an animated press reuses a handful of cached images.
    const qreal radius = std::round(shadow.radius * 4) / 4;
    DropShadow::paintRounded(painter, plate, clampedCorner(plate, corner), radius, QPointF(0, shadow.offset), color);
}

// A border of `width` drawn inside the rounded shape.
void strokeInside(QPainter& painter, const QRectF& rect, qreal corner, qreal width, const QBrush& brush) {
    if (width <= 0) return;
    const qreal inset = width / 2;
    const QRectF inner = rect.adjusted(inset, inset, -inset, -inset);
    if (inner.width() <= 0 || inner.height() <= 0) return;
    QPen pen(brush, width);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.strokePath(roundedPath(inner, std::max(qreal(0), clampedCorner(rect, corner) - inset)), pen);
}

}  // namespace

KeySurface::Shadow KeySurface::shadowFor(qreal press) {
    const qreal t = std::clamp(press, qreal(0), qreal(1));
    return {restingShadow.radius + (pressedShadow.radius - restingShadow.radius) * t,
            restingShadow.offset + (pressedShadow.offset - restingShadow.offset) * t};
}

QMarginsF KeySurface::shadowMargins() {
    return DropShadow::reach(restingShadow.radius, QPointF(0, restingShadow.offset));
}

QRectF KeySurface::plateRect(const QRectF& face, qreal depth) {
    return QRectF(face.left(), face.top(), face.width(), face.height() + std::max(qreal(0), depth));
}

QRectF KeySurface::faceRect(const QRectF& restingFace, const Params& params) {
    const qreal t = std::clamp(params.press, qreal(0), qreal(1));
    return restingFace.translated(0, std::max(qreal(0), params.depth) * t);
}

QRectF KeySurface::paint(QPainter& painter, const QRectF& restingFace, const Params& params) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    const QRectF plate = plateRect(restingFace, params.depth);
    const QRectF face = faceRect(restingFace, params);

    // Side plate with its drop shadow.
    paintShadow(painter, plate, params.corner, shadowFor(params.press), params.shadowColor());
    painter.fillPath(roundedPath(plate, params.corner), params.side);

    // Face, with the top highlight and the ring drawn inside its edge.
    painter.fillPath(roundedPath(face, params.corner), params.face);
    QLinearGradient gradient(face.topLeft(), QPointF(face.left(), face.center().y()));
    QColor clear = params.highlightColor();
    gradient.setColorAt(0, clear);
    clear.setAlpha(0);
    gradient.setColorAt(1, clear);
    strokeInside(painter, face, params.corner, highlightWidth, QBrush(gradient));
    if (params.ring) strokeInside(painter, face, params.corner, ringWidth, QBrush(*params.ring));

    painter.restore();
    return face;
}

KeySurface::Params KeySurface::raised(qreal corner, qreal depth) {
    Params params;
    params.corner = corner;
    params.depth = depth;
    params.face = Palette::raised();
    params.side = Palette::keySide();
    return params;
}

QRectF KeySurface::paintWithText(QPainter& painter, const QRectF& restingFace, const Params& params,
                                 const QString& text, const QFont& font) {
    const QRectF face = paint(painter, restingFace, params);
    painter.setFont(font);
    painter.setPen(Palette::ink());
    painter.drawText(face, Qt::AlignCenter | Qt::TextSingleLine, text);
    return face;
}

int KeySurface::cachedShadowCount() {
    return DropShadow::cachedCount();
}

}  // namespace kestrine
