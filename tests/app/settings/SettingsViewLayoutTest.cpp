// The pieces under the settings window's layout: wrapping text, text sizes, and where the more
// popover goes.
#include "app/settings/MorePopover.h"
#include "app/style/PaletteLabel.h"
#include "app/style/Typography.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

using namespace kestrine;

namespace {

// Layouts give texts their room for shadows and rings as contents margins.
TEST(PaletteLabel, ContentsMarginsCountInEveryMeasure) {
    PaletteLabel label(QStringLiteral("Several words that wrap across lines"), Typography::font(TextStyle::caption),
                       Palette::Swatch::inkSoft);
    label.setWrapping(true);
    const int bare = label.heightForWidth(80);
    const QSize hint = label.sizeHint();
    label.setContentsMargins(4, 6, 4, 2);
    EXPECT_EQ(label.heightForWidth(88), bare + 8);
    EXPECT_EQ(label.sizeHint(), hint + QSize(8, 8));
    label.setWrapping(false);  // a single line whatever the width
    EXPECT_EQ(label.heightForWidth(10), QFontMetrics(label.font()).height() + 8);
}

// Sizes are points: on the test screen they come out at size x DPI / 72 pixels.
TEST(Typography, TextSizesArePointsThatTheScreensResolutionTurnsIntoPixels) {
    const qreal dpi = QGuiApplication::primaryScreen()->logicalDotsPerInchY();
    ASSERT_NE(dpi, 72) << "at 72 DPI points and pixels cannot be told apart";
    for (const auto& [font, points] : {std::pair{Typography::font(TextStyle::caption), Typography::pointSize(TextStyle::caption)},
                                       std::pair{Typography::systemFont(28, QFont::DemiBold), qreal(28)},
                                       std::pair{Typography::monospacedFont(12), qreal(12)}})
        EXPECT_NEAR(QFontInfo(font).pixelSize(), points * dpi / 72, 1) << points;
}

TEST(MorePopoverPlacement, BelowTheAnchorCentredAboveWhenNoRoomAndInsideTheScreen) {
    const QRect screen(0, 0, 1280, 1000);
    const QSize size(320, 300);
    const int gap = MorePopover::anchorGap;
    EXPECT_EQ(MorePopover::placement(QRect(600, 400, 36, 36), size, screen), QRect(QPoint(617 - 160, 436 + gap), size));
    EXPECT_EQ(MorePopover::placement(QRect(600, 900, 36, 36), size, screen).bottom(), 900 - 1 - gap);
    EXPECT_EQ(MorePopover::placement(QRect(1260, 400, 20, 20), size, screen).right(), screen.right());
    EXPECT_EQ(MorePopover::placement(QRect(0, 400, 20, 20), size, screen).left(), 0);
    // No room either way: it stays below rather than leave the screen at the top.
    EXPECT_EQ(MorePopover::placement(QRect(600, 100, 36, 36), size, QRect(0, 0, 1280, 320)).top(), 136 + gap);
}

}  // namespace
