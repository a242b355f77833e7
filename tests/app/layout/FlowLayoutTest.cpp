// Line breaking, measuring and placing of the wrapping flow layout.
#include "app/layout/FlowLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrine {
namespace {

std::vector<QSizeF> sizes(std::initializer_list<QSizeF> list) {
    return list;
}

std::vector<std::vector<int>> indices(const std::vector<FlowLayout::Row>& rows) {
    std::vector<std::vector<int>> result;
    for (const auto& row : rows) {
        result.emplace_back();
        for (const auto& item : row.items) result.back().push_back(item.index);
    }
    return result;
}

const FlowLayout kCards{16, 18, false};

TEST(FlowLayoutTest, NoChildrenMeasureNothing) {
    EXPECT_TRUE(kCards.rows(500, {}).empty());
    EXPECT_EQ(kCards.sizeThatFits(320, {}), QSizeF(320, 0));
    EXPECT_EQ(kCards.sizeThatFits(std::nullopt, {}), QSizeF(0, 0));
    EXPECT_EQ(kCards.sizeThatFits(INFINITY, {}), QSizeF(0, 0));
    EXPECT_TRUE(kCards.placements(QRectF(0, 0, 300, 300), {}).empty());
}

TEST(FlowLayoutTest, WithoutAWidthEverythingIsOneLine) {
    const auto children = sizes({{170, 108}, {170, 108}, {170, 108}, {50, 20}});
    const auto rows = kCards.rows(INFINITY, children);
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].width, 170 * 3 + 50 + 16 * 3);
    EXPECT_EQ(rows[0].height, 108);
    EXPECT_EQ(kCards.sizeThatFits(std::nullopt, children), QSizeF(170 * 3 + 50 + 16 * 3, 108));
    EXPECT_EQ(kCards.sizeThatFits(INFINITY, children), QSizeF(170 * 3 + 50 + 16 * 3, 108));
}

TEST(FlowLayoutTest, AnExactFitStaysOnTheLine) {
    const auto children = sizes({{100, 10}, {100, 10}, {100, 10}});
    // 100 + 16 + 100 = 216: fits in exactly 216, not in 215.9.
    EXPECT_EQ(indices(kCards.rows(216, children)), (std::vector<std::vector<int>>{{0, 1}, {2}}));
    EXPECT_EQ(indices(kCards.rows(215.9, children)), (std::vector<std::vector<int>>{{0}, {1}, {2}}));
    EXPECT_EQ(indices(kCards.rows(332, children)), (std::vector<std::vector<int>>{{0, 1, 2}}));
}

TEST(FlowLayoutTest, AnOversizedChildGetsALineOfItsOwnAtFullWidth) {
    const auto children = sizes({{80, 30}, {500, 40}, {80, 30}, {80, 30}});
    const auto rows = kCards.rows(200, children);
    EXPECT_EQ(indices(rows), (std::vector<std::vector<int>>{{0}, {1}, {2, 3}}));
    EXPECT_EQ(rows[1].width, 500);
    EXPECT_EQ(rows[2].width, 176);

    const auto places = kCards.placements(QRectF(10, 20, 200, 400), children);
    EXPECT_EQ(places[1], QRectF(10, 20 + 30 + 18, 500, 40));  // at the left edge, not shrunk

    const FlowLayout centred{16, 18, true};
    const auto centredPlaces = centred.placements(QRectF(10, 20, 200, 400), children);
    EXPECT_EQ(centredPlaces[1].left(), 10 + (200 - 500) * 0.5);  // a negative offset
    EXPECT_EQ(centredPlaces[0].left(), 10 + (200 - 80) * 0.5);
    EXPECT_EQ(centredPlaces[2].left(), 10 + (200 - 176) * 0.5);
    EXPECT_EQ(centredPlaces[3].left(), centredPlaces[2].right() + 16);
}

TEST(FlowLayoutTest, OversizedFirstChildDoesNotLeaveAnEmptyLine) {
    const auto rows = kCards.rows(100, sizes({{300, 10}, {20, 10}}));
    EXPECT_EQ(indices(rows), (std::vector<std::vector<int>>{{0}, {1}}));
    EXPECT_EQ(indices(kCards.rows(0, sizes({{20, 10}, {20, 10}}))), (std::vector<std::vector<int>>{{0}, {1}}));
}

TEST(FlowLayoutTest, HeightAddsLineSpacingBetweenLinesOnly) {
    const FlowLayout layout{10, 14, false};
    const auto children = sizes({{100, 84}, {100, 40}, {100, 60}});
    // Lines: {0, 1} of height 84 and {2} of height 60.
    EXPECT_EQ(layout.sizeThatFits(210, children), QSizeF(210, 84 + 14 + 60));
    EXPECT_EQ(layout.sizeThatFits(210, children).height(), 158);
    EXPECT_EQ(layout.sizeThatFits(1000, children), QSizeF(1000, 84));
    EXPECT_EQ(layout.sizeThatFits(50, children), QSizeF(50, 84 + 40 + 60 + 2 * 14));
}

TEST(FlowLayoutTest, PlacesLeftAlignedTopAlignedLines) {
    const FlowLayout shelf{14, 14, false};
    const auto children = sizes({{84, 120}, {84, 100}, {84, 120}, {84, 90}});
    const auto places = shelf.placements(QRectF(20, 30, 200, 1000), children);
    ASSERT_EQ(places.size(), 4u);
    EXPECT_EQ(places[0], QRectF(20, 30, 84, 120));
    EXPECT_EQ(places[1], QRectF(20 + 84 + 14, 30, 84, 100));  // shorter, but aligned at the top
    EXPECT_EQ(places[2], QRectF(20, 30 + 120 + 14, 84, 120));
    EXPECT_EQ(places[3], QRectF(20 + 98, 30 + 134, 84, 90));
    // Every line starts at the left edge; the trailing space stays empty.
    for (const QRectF& place : places) EXPECT_LE(place.right(), 220);
}

TEST(FlowLayoutTest, PlacingBreaksAtTheBoundsWidthLikeMeasuring) {
    const auto children = sizes({{60, 20}, {60, 25}, {60, 30}, {60, 20}, {60, 10}});
    for (qreal width : {60.0, 135.0, 136.0, 212.0, 400.0}) {
        const QSizeF measured = kCards.sizeThatFits(width, children);
        const auto places = kCards.placements(QRectF(0, 0, width, measured.height()), children);
        qreal bottom = 0;
        for (const QRectF& place : places) bottom = std::max(bottom, place.bottom());
        EXPECT_EQ(bottom, measured.height()) << "width " << width;
    }
}

TEST(FlowLayoutTest, ZeroSizedChildrenStillTakeTheirSpacing) {
    const auto rows = kCards.rows(100, sizes({{0, 0}, {0, 0}, {0, 0}}));
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(rows[0].width, 32);
    EXPECT_EQ(rows[0].height, 0);
}

}  // namespace
}  // namespace kestrine
