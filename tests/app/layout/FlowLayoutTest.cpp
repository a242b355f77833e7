// Line breaking, measuring and placing of the wrapping flow layout.
#include "app/layout/FlowLayout.h"

#include <gtest/gtest.h>

#include <cmath>

namespace kestrine {
namespace {

using Lines = std::vector<std::vector<int>>;

Lines indices(const std::vector<FlowLayout::Row>& rows) {
    Lines result;
    for (const auto& row : rows) {
        result.emplace_back();
        for (const auto& item : row.items) result.back().push_back(item.index);
    }
    return result;
}

const FlowLayout kCards{16, 18, false};

TEST(FlowLayoutTest, BreaksLinesWhereTheNextChildNoLongerFits) {
    struct Row {
        const char* name;
        qreal width;
        std::vector<QSizeF> sizes;
        Lines lines;
    };
    const std::vector<QSizeF> three(3, QSizeF(100, 10));
    const Row rows[] = {
        {"nothing", 500, {}, {}},
        {"an exact fit stays on the line", 216, three, {{0, 1}, {2}}},
        {"just short of it does not", 215.9, three, {{0}, {1}, {2}}},
        {"all fit", 332, three, {{0, 1, 2}}},
        {"no width: one line", INFINITY, three, {{0, 1, 2}}},
        {"an oversized child gets a line of its own", 200, {{80, 30}, {500, 40}, {80, 30}, {80, 30}}, {{0}, {1}, {2, 3}}},
        {"an oversized first child leaves no empty line", 100, {{300, 10}, {20, 10}}, {{0}, {1}}},
        {"zero width", 0, {{20, 10}, {20, 10}}, {{0}, {1}}},
        {"zero-sized children still take their spacing", 31, {{0, 0}, {0, 0}, {0, 0}}, {{0, 1}, {2}}},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        EXPECT_EQ(indices(kCards.rows(r.width, r.sizes)), r.lines);
    }
    EXPECT_EQ(kCards.rows(200, {{80, 30}, {500, 40}, {80, 30}, {80, 30}})[2].width, 176);
}

TEST(FlowLayoutTest, MeasuresTheTallestOfEachLineWithLineSpacingBetweenLinesOnly) {
    const FlowLayout layout{10, 14, false};
    const std::vector<QSizeF> children{{100, 84}, {100, 40}, {100, 60}};
    struct Row {
        std::optional<qreal> width;
        QSizeF size;
    };
    const Row rows[] = {
        {210, {210, 84 + 14 + 60}},          // {0, 1} and {2}
        {1000, {1000, 84}},                  // one line, as wide as offered
        {50, {50, 84 + 40 + 60 + 2 * 14}},   // a line each
        {std::nullopt, {320, 84}},           // no width: as wide as the line
        {INFINITY, {320, 84}},
    };
    for (const Row& r : rows) EXPECT_EQ(layout.sizeThatFits(r.width, children), r.size) << r.size.width();
    EXPECT_EQ(layout.sizeThatFits(320, {}), QSizeF(320, 0));
    EXPECT_EQ(layout.sizeThatFits(std::nullopt, {}), QSizeF(0, 0));
}

TEST(FlowLayoutTest, PlacesTopAlignedLinesFromTheLeftOrCentred) {
    const FlowLayout shelf{14, 14, false};
    const auto places = shelf.placements(QRectF(20, 30, 200, 1000), {{84, 120}, {84, 100}, {84, 120}, {84, 90}});
    EXPECT_EQ(places, (std::vector<QRectF>{{20, 30, 84, 120}, {20 + 98, 30, 84, 100}, {20, 30 + 134, 84, 120},
                                           {20 + 98, 30 + 134, 84, 90}}));

    // An oversized child is not shrunk; centred, it starts left of the bounds.
    const std::vector<QSizeF> children{{80, 30}, {500, 40}, {80, 30}, {80, 30}};
    EXPECT_EQ(kCards.placements(QRectF(10, 20, 200, 400), children)[1], QRectF(10, 20 + 30 + 18, 500, 40));
    const auto centred = FlowLayout{16, 18, true}.placements(QRectF(10, 20, 200, 400), children);
    EXPECT_EQ(centred[0].left(), 10 + (200 - 80) * 0.5);
    EXPECT_EQ(centred[1].left(), 10 + (200 - 500) * 0.5);
    EXPECT_EQ(centred[2].left(), 10 + (200 - 176) * 0.5);
    EXPECT_EQ(centred[3].left(), centred[2].right() + 16);
    EXPECT_TRUE(kCards.placements(QRectF(0, 0, 300, 300), {}).empty());
}

TEST(FlowLayoutTest, PlacingBreaksAtTheBoundsWidthLikeMeasuring) {
    const std::vector<QSizeF> children{{60, 20}, {60, 25}, {60, 30}, {60, 20}, {60, 10}};
    for (qreal width : {60.0, 135.0, 136.0, 212.0, 400.0}) {
        const QSizeF measured = kCards.sizeThatFits(width, children);
        qreal bottom = 0;
        for (const QRectF& place : kCards.placements(QRectF(0, 0, width, measured.height()), children))
            bottom = std::max(bottom, place.bottom());
        EXPECT_EQ(bottom, measured.height()) << "width " << width;
    }
}

}  // namespace
}  // namespace kestrine
