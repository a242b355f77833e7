#include "app/style/DropShadow.h"

#include <QCache>
#include <QPaintDevice>
#include <QPainter>
#include <QPainterPath>

#include <array>
#include <cmath>
#include <vector>

namespace kestrine::DropShadow {

namespace {

qreal sigmaFor(qreal radius) {
    return radius / 2;
}

qreal marginFor(qreal radius) {
    return std::ceil(3 * sigmaFor(radius)) + 1;
}

// Three box blurs in a row approximate a Gaussian of deviation `sigma` (in pixels).
std::array<int, 3> boxRadii(qreal sigma) {
    const int n = 3;
    const double ideal = std::sqrt(12.0 * sigma * sigma / n + 1);
    int lower = int(std::floor(ideal));
    if (lower % 2 == 0) --lower;
    const int upper = lower + 2;
    const double m = std::round((12.0 * sigma * sigma - n * lower * lower - 4.0 * n * lower - 3.0 * n) / (-4.0 * lower - 4));
    std::array<int, 3> radii{};
    for (int i = 0; i < n; ++i) radii[size_t(i)] = ((i < m ? lower : upper) - 1) / 2;
    return radii;
}

// One box-blur pass over the alpha of premultiplied pixels, along rows or columns.
void boxPass(std::vector<int>& alpha, int width, int height, int radius, bool horizontal) {
    if (radius <= 0) return;
    const int lines = horizontal ? height : width;
    const int length = horizontal ? width : height;
    const int window = 2 * radius + 1;
    std::vector<int> line(size_t(length), 0);
    for (int l = 0; l < lines; ++l) {
        auto index = [&](int i) { return horizontal ? size_t(l) * size_t(width) + size_t(i) : size_t(i) * size_t(width) + size_t(l); };
        for (int i = 0; i < length; ++i) line[size_t(i)] = alpha[index(i)];
        int sum = 0;
        for (int i = 0; i <= radius && i < length; ++i) sum += line[size_t(i)];
        for (int i = 0; i < length; ++i) {
            alpha[index(i)] = sum / window;
            if (i - radius >= 0) sum -= line[size_t(i - radius)];
            if (i + radius + 1 < length) sum += line[size_t(i + radius + 1)];
        }
    }
}

QCache<QString, QImage>& cache() {
    // Room for every key size's shadow at each step of a press as well as the cards and icons.
    static QCache<QString, QImage> images(96);
    return images;
}

}  // namespace

QMarginsF reach(qreal radius, const QPointF& offset) {
    const qreal r = radius > 0 ? 2.5 * sigmaFor(radius) : 0;
    return QMarginsF(std::ceil(std::max(qreal(0), r - offset.x())), std::ceil(std::max(qreal(0), r - offset.y())),
                     std::ceil(std::max(qreal(0), r + offset.x())), std::ceil(std::max(qreal(0), r + offset.y())));
}

QImage blurred(const QImage& shape, qreal radius, const QColor& color, qreal* margin) {
    const qreal dpr = shape.devicePixelRatio();
    const qreal room = marginFor(radius);
    if (margin) *margin = room;
    const int pad = int(std::ceil(room * dpr));
    const int width = shape.width() + 2 * pad, height = shape.height() + 2 * pad;
    std::vector<int> alpha(size_t(width) * size_t(height), 0);
    const QImage source = shape.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    for (int y = 0; y < source.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(source.constScanLine(y));
        for (int x = 0; x < source.width(); ++x) alpha[size_t(y + pad) * size_t(width) + size_t(x + pad)] = qAlpha(row[x]);
    }
    for (int r : boxRadii(sigmaFor(radius) * dpr)) {
        boxPass(alpha, width, height, r, true);
        boxPass(alpha, width, height, r, false);
    }
    QImage result(width, height, QImage::Format_ARGB32_Premultiplied);
    const int red = color.red(), green = color.green(), blue = color.blue(), opacity = color.alpha();
    for (int y = 0; y < height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(result.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int a = alpha[size_t(y) * size_t(width) + size_t(x)] * opacity / 255;
            row[x] = qRgba(red * a / 255, green * a / 255, blue * a / 255, a);
        }
    }
    result.setDevicePixelRatio(dpr);
    return result;
}

void paintImage(QPainter& painter, const QImage& shape, const QRectF& target, qreal radius, const QPointF& offset,
                const QColor& color) {
    if (shape.isNull() || color.alpha() == 0 || target.isEmpty()) return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QString key = QStringLiteral("image|%1|%2x%3|%4|%5|%6|%7")
                            .arg(shape.cacheKey())
                            .arg(target.width())
                            .arg(target.height())
                            .arg(radius)
                            .arg(color.rgba())
                            .arg(dpr);
    QImage* image = cache().object(key);
    if (!image) {
        // The silhouette at the size it is drawn, so the blur is measured in drawn points.
        QImage scaled(QSize(int(std::ceil(target.width() * dpr)), int(std::ceil(target.height() * dpr))),
                      QImage::Format_ARGB32_Premultiplied);
        scaled.fill(Qt::transparent);
        {
            QPainter p(&scaled);
            p.setRenderHint(QPainter::SmoothPixmapTransform);
            p.drawImage(QRectF(QPointF(0, 0), QSizeF(scaled.size())), shape);
        }
        scaled.setDevicePixelRatio(dpr);
        image = new QImage(blurred(scaled, radius, color));
        cache().insert(key, image);
    }
    const qreal margin = marginFor(radius);
    painter.drawImage(target.topLeft() + offset - QPointF(margin, margin), *image);
}

void paintRounded(QPainter& painter, const QRectF& rect, qreal corner, qreal radius, const QPointF& offset,
                  const QColor& color) {
    if (color.alpha() == 0 || rect.isEmpty()) return;
    const qreal dpr = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QString key = QStringLiteral("rounded|%1x%2|%3|%4|%5|%6")
                            .arg(rect.width())
                            .arg(rect.height())
                            .arg(corner)
                            .arg(radius)
                            .arg(color.rgba())
                            .arg(dpr);
    QImage* image = cache().object(key);
    if (!image) {
        QImage shape(QSize(int(std::ceil(rect.width() * dpr)), int(std::ceil(rect.height() * dpr))),
                     QImage::Format_ARGB32_Premultiplied);
        shape.fill(Qt::transparent);
        {
            QPainter p(&shape);
            p.setRenderHint(QPainter::Antialiasing);
            p.scale(dpr, dpr);
            QPainterPath path;
            path.addRoundedRect(QRectF(QPointF(0, 0), rect.size()), corner, corner);
            p.fillPath(path, Qt::black);
        }
        shape.setDevicePixelRatio(dpr);
        image = new QImage(blurred(shape, radius, color));
        cache().insert(key, image);
    }
    const qreal margin = marginFor(radius);
    painter.drawImage(rect.topLeft() + offset - QPointF(margin, margin), *image);
}

int cachedCount() {
    return cache().count();
}

}  // namespace kestrine::DropShadow
