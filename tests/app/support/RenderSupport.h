#pragma once

// Helpers of the render tests: where their PNG files go, finishing running animations, and
// reading and comparing pixels.
#include <QAbstractAnimation>
#include <QColor>
#include <QDir>
#include <QImage>
#include <QObject>

#include <cstdlib>

namespace kestrine::testing {

/// $KESTRINE_SHOTS_DIR, or <temp>/kestrine-shots/<folder>; created when missing.
inline QDir shotsDirectory(const QString& folder) {
    const QByteArray configured = qgetenv("KESTRINE_SHOTS_DIR");
    QDir dir(configured.isEmpty() ? QDir::temp().filePath(QStringLiteral("kestrine-shots/") + folder)
                                  : QString::fromLocal8Bit(configured));
    dir.mkpath(QStringLiteral("."));
    return dir;
}

/// Brings every running animation under `root` to its end.
inline void settle(QObject* root) {
    for (QAbstractAnimation* animation : root->findChildren<QAbstractAnimation*>())
        if (animation->state() == QAbstractAnimation::Running) animation->setCurrentTime(animation->totalDuration());
}

/// The pixel at a point given in logical (device-independent) coordinates.
inline QColor colorAt(const QImage& image, QPoint logical) {
    return QColor::fromRgba(image.pixel(logical * image.devicePixelRatio()));
}

inline bool near(const QColor& a, const QColor& b, int tolerance = 4) {
    return std::abs(a.red() - b.red()) <= tolerance && std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace kestrine::testing
