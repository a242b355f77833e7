// The editor's building blocks on their own: the app tile of the picker and the emoji chip.
#include "app/settings/AppPickTile.h"
#include "app/settings/EmojiChip.h"
#include "app/style/Palette.h"

#include <QFontMetricsF>
#include <QImage>
#include <QTest>

#include <gtest/gtest.h>

using namespace kestrine;

namespace {

QImage render(QWidget& widget) {
    widget.resize(widget.sizeHint());
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// How many pixels inside `area` are close to `color`.
int pixelsNear(const QImage& image, const QRectF& area, const QColor& color, int tolerance = 24) {
    int n = 0;
    const QRect r = area.toAlignedRect().intersected(image.rect());
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x) {
            const QColor c = QColor::fromRgba(image.pixel(x, y));
            if (c.alpha() > 200 && std::abs(c.red() - color.red()) <= tolerance &&
                std::abs(c.green() - color.green()) <= tolerance && std::abs(c.blue() - color.blue()) <= tolerance)
                ++n;
        }
    return n;
}

struct IconCounter {
    int calls = 0;
    AppPickTile::IconSource source() {
        return [this](const PresetApp&) {
            ++calls;
            QImage image(88, 88, QImage::Format_ARGB32_Premultiplied);
            image.fill(QColor(0x20, 0xA0, 0x60));
            image.setDevicePixelRatio(2);
            return image;
        };
    }
};

class AppPickTileTest : public ::testing::Test {
protected:
    void SetUp() override { Palette::setDarkOverride(false); }
    void TearDown() override { Palette::setDarkOverride(std::nullopt); }
    IconCounter icons;
};

TEST_F(AppPickTileTest, NamesTakeAtMostTwoLinesAndLongOnesEndInAnEllipsis) {
    AppPickTile shortName(PresetApp("com.x", "", "Mail"), icons.source());
    EXPECT_EQ(shortName.nameLines(), QStringList{QStringLiteral("Mail")});

    AppPickTile twoWords(PresetApp("com.y", "", "Affinity Designer"), icons.source());
    ASSERT_LE(twoWords.nameLines().size(), 2);
    EXPECT_EQ(twoWords.nameLines().join(QLatin1Char(' ')), QStringLiteral("Affinity Designer"));

    const std::string longName = "An Application With A Remarkably Long Name That Cannot Fit";
    AppPickTile tile(PresetApp("com.z", "", longName), icons.source());
    ASSERT_EQ(tile.nameLines().size(), 2);
    EXPECT_TRUE(tile.nameLines().last().endsWith(QChar(0x2026)));
    const QFontMetricsF metrics(AppPickTile::nameFont());
    for (const QString& line : tile.nameLines()) EXPECT_LE(metrics.horizontalAdvance(line), AppPickTile::width + 0.5);

    // One word longer than the box is broken, not cut off.
    AppPickTile word(PresetApp("com.w", "", "Supercalifragilisticexpialidocious"), icons.source());
    EXPECT_EQ(word.nameLines().size(), 2);
}

TEST_F(AppPickTileTest, FetchesItsIconOnceWhenFirstPaintedAndAgainOnlyForANewPath) {
    AppPickTile tile(PresetApp("com.x", "/Applications/X.app", "X"), icons.source());
    EXPECT_EQ(icons.calls, 0);
    const QImage first = render(tile);
    render(tile);
    EXPECT_EQ(icons.calls, 1);
    // The icon is drawn 36 × 36 in the middle of the key.
    const QRectF key = tile.keyRect();
    EXPECT_EQ(pixelsNear(first, QRectF(key.center() - QPointF(18, 18), QSizeF(36, 36)), QColor(0x20, 0xA0, 0x60)), 36 * 36);
    EXPECT_EQ(pixelsNear(first, QRectF(key.center() - QPointF(20, 20), QSizeF(40, 40)), QColor(0x20, 0xA0, 0x60)), 36 * 36);

    tile.setApp(PresetApp("com.x", "/Applications/X.app", "X renamed"));
    render(tile);
    EXPECT_EQ(icons.calls, 1);
    EXPECT_EQ(tile.accessibleName(), QStringLiteral("X renamed"));
    tile.setApp(PresetApp("com.x", "/Applications/Other/X.app", "X renamed"));
    render(tile);
    EXPECT_EQ(icons.calls, 2);
}

TEST_F(AppPickTileTest, SelectionRingsAndBadgesTheKeyAndTheInDockLabelShowsOnlyForDockApps) {
    AppPickTile tile(PresetApp("com.x", "", "X"), icons.source());
    const QRectF key = tile.keyRect();
    const QRectF badge(key.right() + 5 - 18, key.top() - 5, 18, 18);
    const QSize size = tile.sizeHint();
    const QImage plain = render(tile);
    EXPECT_EQ(pixelsNear(plain, badge, Palette::accent()), 0);
    EXPECT_EQ(pixelsNear(plain, tile.inDockRect(), Palette::accent()), 0);

    tile.setSelected(true);
    tile.setInDock(true);
    EXPECT_TRUE(tile.isChecked());
    EXPECT_EQ(tile.sizeHint(), size) << "the label keeps its place";
    const QImage selected = render(tile);
    EXPECT_GT(pixelsNear(selected, badge, Palette::accent()), 150);  // most of an 18-point disc
    EXPECT_GT(pixelsNear(selected, badge.adjusted(5, 5, -5, -5), Palette::onAccent()), 3);  // the check mark
    // The ring runs along the key's left edge.
    EXPECT_GT(pixelsNear(selected, QRectF(key.left(), key.center().y() - 10, 2, 20), Palette::accent()), 30);
    EXPECT_GT(pixelsNear(selected, tile.inDockRect(), Palette::accent(), 60), 5);
}

TEST_F(AppPickTileTest, OnlyTheKeyTogglesAndTheOwnerDecidesTheState) {
    AppPickTile tile(PresetApp("com.x", "", "X"), icons.source());
    tile.resize(tile.sizeHint());
    int toggles = 0;
    tile.onToggle = [&] { ++toggles; };
    QTest::mouseClick(&tile, Qt::LeftButton, {}, tile.nameRect().center().toPoint());
    EXPECT_EQ(toggles, 0);
    QTest::mouseClick(&tile, Qt::LeftButton, {}, tile.keyRect().center().toPoint());
    EXPECT_EQ(toggles, 1);
    // A click asks; it does not tick the tile by itself.
    EXPECT_FALSE(tile.isSelected());
    QTest::keyClick(&tile, Qt::Key_Return);
    EXPECT_EQ(toggles, 2);
}

TEST(EmojiChipTest, HighlightFillsAndOutlinesTheFrameInAccentAndOnlyTheOwnerSetsIt) {
    Palette::setDarkOverride(true);
    EmojiChip chip(QStringLiteral("\U0001F680"));
    const QRectF frame = chip.frameRect();
    const QImage plain = render(chip);
    EXPECT_EQ(pixelsNear(plain, QRectF(frame.left(), frame.center().y() - 6, 2, 12), Palette::accent()), 0);

    chip.setHighlighted(true);
    const QImage lit = render(chip);
    // The 1.5-point outline at the left edge; the 18 % fill just inside it.
    EXPECT_GT(pixelsNear(lit, QRectF(frame.left(), frame.center().y() - 6, 1, 12), Palette::accent(), 40), 8);
    const QColor inside = QColor::fromRgba(lit.pixel(int(frame.left()) + 4, int(frame.top()) + 4));
    EXPECT_NEAR(inside.alphaF(), 0.18, 0.02);
    Palette::setDarkOverride(std::nullopt);

    // Clicks and Space report; they do not toggle the highlight by themselves.
    int clicks = 0;
    QObject::connect(&chip, &QAbstractButton::clicked, [&] { ++clicks; });
    QTest::mouseClick(&chip, Qt::LeftButton, {}, frame.center().toPoint());
    QTest::keyClick(&chip, Qt::Key_Space);
    EXPECT_EQ(clicks, 2);
    EXPECT_TRUE(chip.isHighlighted());
    chip.setHighlighted(false);
    QTest::mouseClick(&chip, Qt::LeftButton, {}, frame.center().toPoint());
    EXPECT_FALSE(chip.isHighlighted());
}

}  // namespace
