#include "app/style/KeySurface.h"

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
    return QMarginsF(shadowRoom(restingShadow.radius, restingShadow.offset));
}

void KeySurface::paintShadow(QPainter& painter, const QRectF& rect, qreal corner, qreal blur, qreal offset,
                             const QColor& color) {
    if (color.alpha() == 0 || rect.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    const QRectF shape = rect.translated(0, offset);
    const qreal r = clampedCorner(rect, corner);
    const int rings = std::max(1, int(std::ceil(blur)));
    QColor shade = color;
    for (int i = rings; i >= 1; --i) {
        const qreal t = qreal(i) / rings;
        // The alpha of one ring so that the accumulated opacity falls off smoothly outwards.
        shade.setAlphaF(float(color.alphaF() * 2.2 * (1 - t) / rings));
        painter.setBrush(shade);
        const qreal grow = blur * t;
        painter.drawRoundedRect(shape.adjusted(-grow, -grow, grow, grow), r + grow, r + grow);
    }
    painter.restore();
}

QMargins KeySurface::shadowRoom(qreal blur, qreal offset) {
    // Generous: a Gaussian blur of deviation blur / 2 fades out within 2.5 deviations.
    const qreal reach = blur > 0 ? 1.25 * blur : 0;
    return QMargins(int(std::ceil(reach)), int(std::ceil(std::max(qreal(0), reach - offset))), int(std::ceil(reach)),
                    int(std::ceil(reach + offset)));
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
    const Shadow shadow = shadowFor(params.press);
    paintShadow(painter, plate, params.corner, shadow.radius, shadow.offset, params.shadowColor());
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

KeySurface::Params KeySurface::key(qreal corner, qreal depth, qreal hover, std::optional<QColor> ring) {
    Params params;
    params.corner = corner;
    params.depth = depth;
    const QColor from = Palette::raised(), to = Palette::raisedHover();
    const qreal t = std::clamp(hover, qreal(0), qreal(1));
    params.face = t <= 0 ? from
                  : t >= 1
                      ? to
                      : QColor::fromRgbF(float(from.redF() + (to.redF() - from.redF()) * t),
                                         float(from.greenF() + (to.greenF() - from.greenF()) * t),
                                         float(from.blueF() + (to.blueF() - from.blueF()) * t),
                                         float(from.alphaF() + (to.alphaF() - from.alphaF()) * t));
    params.side = Palette::keySide();
    params.ring = ring;
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

}  // namespace kestrine
