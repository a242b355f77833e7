// Helpers of the render tests: draw a widget or a painter callback into a transparent image, keep
// the image as a PNG for a person to look at, finish running animations, and read and compare
// pixels.
#pragma once

#include <QAbstractAnimation>
#include <QDir>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <functional>
#include <string>

namespace kestrine::testing {

/// $KESTRINE_SHOTS_DIR, or <temp>/kestrine-shots/<folder>; created when missing.
inline QDir shotsDirectory(const QString& folder) {
    const QByteArray configured = qgetenv("KESTRINE_SHOTS_DIR");
    QDir dir(configured.isEmpty() ? QDir::temp().filePath(QStringLiteral("kestrine-shots/") + folder) : QString::fromLocal8Bit(configured));
    dir.mkpath(QStringLiteral("."));
    return dir;
}

inline void savePNG(const QImage& image, const QString& name, const QString& folder = QStringLiteral("style")) {
    image.save(shotsDirectory(folder).filePath(name + QStringLiteral(".png")));
}

/// Brings every running animation under `root` to its end.
inline void settle(QObject* root) {
    for (QAbstractAnimation* animation : root->findChildren<QAbstractAnimation*>())
        if (animation->state() == QAbstractAnimation::Running) animation->setCurrentTime(animation->totalDuration());
}

/// `draw` into a transparent image of `logicalSize` points at `dpr` device pixels a point.
inline QImage renderWith(QSize logicalSize, const std::function<void(QPainter&)>& draw, qreal dpr = 1) {
    QImage image(logicalSize * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    draw(painter);
    return image;
}

/// The widget at its size hint, drawn without any window background. A widget without a parent is
/// drawn as the child of a bare host, so that its own graphics effect (the disabled fade) applies,
/// as it does in a window.
inline QImage renderWidget(QWidget& widget, qreal dpr = 1) {
    if (widget.size() != widget.sizeHint() && widget.sizeHint().isValid()) widget.resize(widget.sizeHint());
    QImage image = renderWith(widget.size(), [](QPainter&) {}, dpr);
    if (widget.parentWidget()) {
        widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        return image;
    }
    QWidget host;
    host.resize(widget.size());
    widget.setParent(&host);
    widget.move(0, 0);
    widget.show();
    host.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    widget.setParent(nullptr);
    return image;
}

/// The straight (not premultiplied) colour of a device pixel.
inline QColor pixel(const QImage& image, int x, int y) {
    const QRgb raw = image.pixel(x, y);
    return QColor::fromRgba(image.format() == QImage::Format_ARGB32_Premultiplied ? qUnpremultiply(raw) : raw);
}

/// The pixel at a point given in logical (device-independent) coordinates, as stored.
inline QColor colorAt(const QImage& image, QPoint logical) {
    return QColor::fromRgba(image.pixel(logical * image.devicePixelRatio()));
}

/// `top` drawn over the opaque `bottom`.
inline QColor over(const QColor& top, const QColor& bottom) {
    auto mix = [a = top.alphaF()](qreal t, qreal b) { return float(t * a + b * (1 - a)); };
    return QColor::fromRgbF(mix(top.redF(), bottom.redF()), mix(top.greenF(), bottom.greenF()), mix(top.blueF(), bottom.blueF()));
}

/// Red, green and blue within `tolerance`; nearRGBA compares the alpha too.
inline bool near(const QColor& a, const QColor& b, int tolerance = 4) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance && std::abs(a.blue() - b.blue()) <= tolerance;
}
inline bool nearRGBA(const QColor& a, const QColor& b, int tolerance = 3) {
    return near(a, b, tolerance) && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

/// How many device pixels are near `color`, and the highest alpha of any.
inline int countNear(const QImage& image, const QColor& color, int tolerance = 3) {
    int count = 0;
    for (int i = 0; i < image.width() * image.height(); ++i) count += nearRGBA(pixel(image, i % image.width(), i / image.width()), color, tolerance);
    return count;
}
inline int maxAlpha(const QImage& image) {
    int best = 0;
    for (int i = 0; i < image.width() * image.height(); ++i) best = std::max(best, qAlpha(image.pixel(i % image.width(), i / image.width())));
    return best;
}

inline std::string describe(const QColor& c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha()).toStdString();
}

}  // namespace kestrine::testing
