#include <QIcon>
#include <QImage>

#include <gtest/gtest.h>

#include "app/IconStore.h"

using namespace kestrine;

namespace {

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
