// The program's own icon and the icons drawn for applications.
#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/AppIcon.h"
#include "app/IconStore.h"

using namespace kestrine;

namespace {

// The PNG files installed into the icon theme must be the current drawing: regenerate them
// (resources/icons/kestrine.png at 256, kestrine-64.png at 64) after changing AppIcon.
TEST(AppIcon, TheInstalledFilesAreRenderingsOfTheDrawingAtTheirSizes) {
    const std::pair<const char*, int> files[] = {{"/resources/icons/kestrine.png", 256}, {"/resources/icons/kestrine-64.png", 64}};
    for (const auto& [file, size] : files) {
        SCOPED_TRACE(file);
        const QImage stored = QImage(QString(KESTRINE_SOURCE_DIR) + file).convertToFormat(QImage::Format_ARGB32);
        const QImage drawn = AppIcon::render(size).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(stored.size(), QSize(size, size));
        EXPECT_TRUE(stored.hasAlphaChannel());
        // The mean difference per channel, 0 to 255.
        double sum = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb p = stored.pixel(x, y), q = drawn.pixel(x, y);
                sum += std::abs(qAlpha(p) - qAlpha(q)) + std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            }
        EXPECT_LT(sum / (4.0 * size * size), 1.0);
    }
}

// With a desktop theme that has no generic application icon, the Adwaita one is drawn, and the
// process keeps its theme: every other icon it shows still comes from the desktop's.
TEST(IconStore, TheGenericIconComesFromAdwaitaWithoutChangingTheProcessTheme) {
    const QString saved = QIcon::themeName();
    QIcon::setThemeName(QStringLiteral("kestrine-test-no-such-theme"));
    const QImage image = IconStore::render(QStringLiteral("/no/such/Missing.app"), 88);
    const QString after = QIcon::themeName();
    QIcon::setThemeName(saved);
    EXPECT_EQ(after, QStringLiteral("kestrine-test-no-such-theme"));
    ASSERT_EQ(image.size(), QSize(88, 88));
    // Not the plain tile drawn when no theme has the icon at all.
    EXPECT_NE(image.pixelColor(44, 44), QColor(0x9a, 0x94, 0x88));
    EXPECT_GT(image.pixelColor(44, 44).alpha(), 0);
}

}  // namespace
