#include "app/style/KeySurface.h"

#include <QCache>
#include <QImage>
#include <QLinearGradient>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>
#include <vector>

namespace kestrine {

namespace {

// A shadow "radius" is a blur radius; the Gaussian behind it has a deviation of half of it.
qreal sigmaFor(qreal radius) {
    return radius / 2;
}

qreal clampedCorner(const QRectF& rect, qreal corner) {
    return std::clamp(corner, qreal(0), std::min(rect.width(), rect.height()) / 2);
}

QPainterPath roundedPath(const QRectF& rect, qreal corner) {
    QPainterPath path;
    const qreal r = clampedCorner(rect, corner);
    path.addRoundedRect(rect, r, r);
    return path;
}

// Sizes of three box blurs whose sequence approximates a Gaussian of deviation `sigma`.
std::array<int, 3> boxRadii(qreal sigma) {
    const int n = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / n + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const int upper = lower + 2;
    const double m = std::round((12.0 * sigma * sigma - n * lower * lower - 4.0 * n * lower - 3.0 * n) /
                                (-4.0 * lower - 4));
    std::array<int, 3> radii{};
    for (int i = 0; i < n; ++i) radii[size_t(i)] = ((i < m ? lower : upper) - 1) / 2;
    return radii;
}

// One box-blur pass over premultiplied pixels along rows (horizontal) or columns.
void boxPass(QImage& image, int radius, bool horizontal) {
    if (radius <= 0) return;
    const int w = image.width();
    const int h = image.height();
    const int lines = horizontal ? h : w;
    const int length = horizontal ? w : h;
    std::vector<QRgb> line(static_cast<size_t>(length));
    const int window = 2 * radius + 1;
    for (int l = 0; l < lines; ++l) {
        auto at = [&](int i) -> QRgb& {
            return horizontal ? reinterpret_cast<QRgb*>(image.scanLine(l))[i]
                              : reinterpret_cast<QRgb*>(image.scanLine(i))[l];
        };
        for (int i = 0; i < length; ++i) line[size_t(i)] = at(i);
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= length) return;
            const QRgb p = line[size_t(i)];
            sum[0] += sign * qAlpha(p);
            sum[1] += sign * qRed(p);
            sum[2] += sign * qGreen(p);
            sum[3] += sign * qBlue(p);
        };
        for (int i = -radius; i <= radius; ++i) add(i, 1);
        for (int i = 0; i < length; ++i) {
            at(i) = qRgba(sum[1] / window, sum[2] / window, sum[3] / window, sum[0] / window);
            add(i - radius, -1);
            add(i + radius + 1, 1);
        }
    }
}

QImage blurredShape(const QSizeF& size, qreal corner, qreal sigma, const QColor& color, qreal dpr,
                    qreal margin) {
    const QSize pixels(int(std::ceil((size.width() + 2 * margin) * dpr)),
                       int(std::ceil((size.height() + 2 * margin) * dpr)));
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        p.scale(dpr, dpr);
        p.fillPath(roundedPath(QRectF(QPointF(margin, margin), size), corner), color);
    }
    for (int radius : boxRadii(sigma * dpr)) {
        boxPass(image, radius, true);
        boxPass(image, radius, false);
    }
    image.setDevicePixelRatio(dpr);
    return image;
}

QCache<QString, QImage>& shadowCache() {
    static QCache<QString, QImage> cache(96);
    return cache;
}

void paintShadow(QPainter& painter, const QRectF& plate, qreal corner, const KeySurface::Shadow& shadow,
                 const QColor& color) {
    if (color.alpha() == 0 || plate.isEmpty()) return;
    if (shadow.radius <= 0) {
        painter.fillPath(roundedPath(plate.translated(0, shadow.offset), corner), color);
        return;
    }
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    // Quantise the blur so an animated press reuses a handful of images.
    const qreal radius = std::round(shadow.radius * 4) / 4;
    const qreal sigma = sigmaFor(radius);
    const qreal margin = std::ceil(3 * sigma) + 1;
    const QString key = QString::asprintf("%.3f|%.3f|%.3f|%.3f|%08x|%.3f", plate.width(), plate.height(),
                                          corner, radius, color.rgba(), dpr);
    QImage* image = shadowCache().object(key);
    if (!image) {
        image = new QImage(blurredShape(plate.size(), corner, sigma, color, dpr, margin));
        shadowCache().insert(key, image);
    }
    painter.drawImage(QPointF(plate.left() - margin, plate.top() + shadow.offset - margin), *image);
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
    const qreal reach = 2.5 * sigmaFor(restingShadow.radius);
    return QMarginsF(std::ceil(reach), std::ceil(std::max(qreal(0), reach - restingShadow.offset)),
                     std::ceil(reach), std::ceil(reach + restingShadow.offset));
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

int KeySurface::cachedShadowCount() {
    return shadowCache().count();
}

}  // namespace kestrine
