#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/AppIcon.h"

using namespace kestrine;

namespace {

// The mean difference per channel between two images of the same size, 0 to 255.
double meanDifference(const QImage& a, const QImage& b) {
    const QImage x = a.convertToFormat(QImage::Format_ARGB32), y = b.convertToFormat(QImage::Format_ARGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row), q = y.pixel(col, row);
            sum += std::abs(qAlpha(p) - qAlpha(q)) + std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) +
                   std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (4.0 * x.width() * x.height());
}

// The PNG files installed into the icon theme must be the current drawing: regenerate them
// (resources/icons/kestrine.png at 256, kestrine-64.png at 64) after changing AppIcon.
TEST(AppIcon, TheInstalledFilesAreRenderingsOfTheDrawingAtTheirSizes) {
    const std::pair<const char*, int> files[] = {{"/resources/icons/kestrine.png", 256}, {"/resources/icons/kestrine-64.png", 64}};
    for (const auto& [file, size] : files) {
        SCOPED_TRACE(file);
        const QImage stored(QString(KESTRINE_SOURCE_DIR) + file);
        ASSERT_EQ(stored.size(), QSize(size, size));
        EXPECT_TRUE(stored.hasAlphaChannel());
        EXPECT_LT(meanDifference(stored, AppIcon::render(size)), 1.0);
    }
}

}  // namespace
