// Helpers for the style tests: draw a widget or a painter callback into a transparent image, keep
// the image as a PNG for a person to look at, and compare colours with a tolerance.
#pragma once

#include "tests/app/support/RenderSupport.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <functional>

namespace kestrine::test {

// Into $KESTRINE_SHOTS_DIR, or <temp>/kestrine-shots/style.
inline void savePNG(const QImage& image, const QString& name) {
    image.save(testing::shotsDirectory(QStringLiteral("style")).filePath(name + QStringLiteral(".png")));
}

inline QImage blankImage(QSize logicalSize, qreal dpr = 1) {
    QImage image(logicalSize * dpr, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(dpr);
    image.fill(Qt::transparent);
    return image;
}

// The widget at its size hint (or current size), drawn without any window background.
inline QImage renderWidget(QWidget& widget, qreal dpr = 1) {
    if (widget.size() != widget.sizeHint() && widget.sizeHint().isValid()) widget.resize(widget.sizeHint());
    QImage image = blankImage(widget.size(), dpr);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

inline QImage renderWith(QSize logicalSize, const std::function<void(QPainter&)>& draw, qreal dpr = 1) {
    QImage image = blankImage(logicalSize, dpr);
    QPainter painter(&image);
    draw(painter);
    return image;
}

// The straight (not premultiplied) colour of a device pixel. (QImage::pixel hands back the stored,
// premultiplied value for premultiplied formats.)
inline QColor pixel(const QImage& image, int x, int y) {
    const QRgb raw = image.pixel(x, y);
    return QColor::fromRgba(image.format() == QImage::Format_ARGB32_Premultiplied ? qUnpremultiply(raw) : raw);
}

// `top` drawn over the opaque `bottom`.
inline QColor over(const QColor& top, const QColor& bottom) {
    const qreal a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)), float(top.greenF() * a + bottom.greenF() * (1 - a)),
                            float(top.blueF() * a + bottom.blueF() * (1 - a)));
}

// Compares alpha as well, unlike testing::near.
inline bool near(const QColor& a, const QColor& b, int tolerance = 3) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance && std::abs(a.alpha() - b.alpha()) <= tolerance;
}

inline int maxAlpha(const QImage& image) {
    int best = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) best = std::max(best, qAlpha(image.pixel(x, y)));
    return best;
}

// The first row (device pixels) at column x, from the top, whose colour is near `color`; -1 if none.
inline int firstRowWith(const QImage& image, int x, const QColor& color, int tolerance = 3) {
    for (int y = 0; y < image.height(); ++y)
        if (near(pixel(image, x, y), color, tolerance)) return y;
    return -1;
}

inline int countNear(const QImage& image, const QColor& color, int tolerance = 3) {
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(pixel(image, x, y), color, tolerance)) ++count;
    return count;
}

inline std::string describe(const QColor& c) {
    return QStringLiteral("rgba(%1,%2,%3,%4)").arg(c.red()).arg(c.green()).arg(c.blue()).arg(c.alpha()).toStdString();
}

}  // namespace kestrine::test
