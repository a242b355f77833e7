// The wrapping flow layout: line breaking, measuring and placing, and as a QLayout of real widgets.
#include "app/layout/FlowBoxLayout.h"
#include "app/layout/FlowLayout.h"

#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace kestrine {
namespace {

using Lines = std::vector<std::vector<int>>;
const FlowLayout kCards{16, 18, false};

TEST(FlowLayoutTest, BreaksLinesWhereTheNextChildNoLongerFits) {
    struct Row { const char* name; qreal width; std::vector<QSizeF> sizes; Lines lines; };
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
        Lines lines;
        for (const auto& row : kCards.rows(r.width, r.sizes)) {
            lines.emplace_back();
            for (const auto& item : row.items) lines.back().push_back(item.index);
        }
        EXPECT_EQ(lines, r.lines) << r.name;
    }
    EXPECT_EQ(kCards.rows(200, {{80, 30}, {500, 40}, {80, 30}, {80, 30}})[2].width, 176);
}

TEST(FlowLayoutTest, MeasuresTheTallestOfEachLineWithLineSpacingBetweenLinesOnly) {
    const FlowLayout layout{10, 14, false};
    const std::vector<QSizeF> children{{100, 84}, {100, 40}, {100, 60}};
    const std::pair<std::optional<qreal>, QSizeF> rows[] = {
        {210, {210, 84 + 14 + 60}},          // {0, 1} and {2}
        {1000, {1000, 84}},                  // one line, as wide as offered
        {50, {50, 84 + 40 + 60 + 2 * 14}},   // a line each
        {std::nullopt, {320, 84}},           // no width: as wide as the line
        {INFINITY, {320, 84}},
    };
    for (const auto& [width, size] : rows) EXPECT_EQ(layout.sizeThatFits(width, children), size) << size.width();
    EXPECT_EQ(layout.sizeThatFits(320, {}), QSizeF(320, 0));
    EXPECT_EQ(layout.sizeThatFits(std::nullopt, {}), QSizeF(0, 0));
}

TEST(FlowLayoutTest, PlacesTopAlignedLinesFromTheLeftOrCentredBreakingLikeMeasuring) {
    const FlowLayout shelf{14, 14, false};
    const auto places = shelf.placements(QRectF(20, 30, 200, 1000), {{84, 120}, {84, 100}, {84, 120}, {84, 90}});
    EXPECT_EQ(places, (std::vector<QRectF>{{20, 30, 84, 120}, {118, 30, 84, 100}, {20, 164, 84, 120}, {118, 164, 84, 90}}));
    // An oversized child is not shrunk; centred, it starts left of the bounds.
    const std::vector<QSizeF> children{{80, 30}, {500, 40}, {80, 30}, {80, 30}};
    EXPECT_EQ(kCards.placements(QRectF(10, 20, 200, 400), children)[1], QRectF(10, 20 + 30 + 18, 500, 40));
    const auto centred = FlowLayout{16, 18, true}.placements(QRectF(10, 20, 200, 400), children);
    std::vector<qreal> lefts;
    for (const QRectF& place : centred) lefts.push_back(place.left());
    EXPECT_EQ(lefts, (std::vector<qreal>{70, -140, 22, 22 + 80 + 16}));
    EXPECT_TRUE(kCards.placements(QRectF(0, 0, 300, 300), {}).empty());
    const std::vector<QSizeF> five{{60, 20}, {60, 25}, {60, 30}, {60, 20}, {60, 10}};
    for (qreal width : {60.0, 135.0, 136.0, 212.0, 400.0}) {
        const QSizeF measured = kCards.sizeThatFits(width, five);
        qreal bottom = 0;
        for (const QRectF& place : kCards.placements(QRectF(0, 0, width, measured.height()), five)) bottom = std::max(bottom, place.bottom());
        EXPECT_EQ(bottom, measured.height()) << "width " << width;
    }
}

struct Box : QWidget {
    explicit Box(QSize hint) : hint_(hint) {}
    QSize sizeHint() const override { return hint_; }
    QSize hint_;
};

// A flow of `count` boxes of one size in `parent`, with the given spacing and margins.
std::pair<FlowBoxLayout*, std::vector<Box*>> flowOf(QWidget* parent, qreal spacing, qreal lineSpacing, int margin, int count, QSize size) {
    auto* flow = new FlowBoxLayout(spacing, lineSpacing, false, parent);
    flow->setContentsMargins(margin, margin / 2, margin, margin / 2);
    std::vector<Box*> boxes;
    for (int i = 0; i < count; ++i) boxes.push_back(new Box(size));
    for (Box* box : boxes) flow->addWidget(box);
    return {flow, boxes};
}

TEST(FlowBoxLayoutTest, WrapsWidgetsToTheContainerWidthSkippingHiddenOnesInTheirOrder) {
    QWidget container;
    auto [flow, boxes] = flowOf(&container, 16, 18, 10, 5, QSize(170, 108));
    // 380 wide: 360 inside, two cards a line (170 + 16 + 170 = 356), three lines.
    EXPECT_EQ(std::pair(flow->heightForWidth(380), flow->heightForWidth(1000)), std::pair(108 * 3 + 18 * 2 + 10, 108 + 10));
    EXPECT_EQ(flow->sizeHint(), QSize(170 * 5 + 16 * 4 + 20, 118));
    EXPECT_EQ(flow->minimumSize().width(), 170 + 20);
    container.resize(380, flow->heightForWidth(380));
    flow->activate();
    EXPECT_EQ(boxes[1]->geometry(), QRect(10 + 186, 5, 170, 108));
    EXPECT_EQ(boxes[4]->geometry(), QRect(10, 5 + 252, 170, 108));
    boxes[1]->hide();
    flow->activate();
    EXPECT_EQ(boxes[2]->geometry(), QRect(10 + 186, 5, 170, 108));
    EXPECT_EQ(flow->heightForWidth(380), 108 * 2 + 18 + 10);
    flow->moveItem(0, 4);  // to the end: 2, 3 / 4, 0
    flow->activate();
    EXPECT_EQ(std::pair(boxes[2]->geometry().topLeft(), boxes[0]->geometry().topLeft()), std::pair(QPoint(10, 5), QPoint(196, 131)));
}

// Widgets keep the room for their shadows inside them; a spacing below zero lets the rooms of
// neighbours overlap so that what they show stands the visible gap apart.
TEST(FlowBoxLayoutTest, ANegativeSpacingOverlapsNeighbours) {
    QWidget container;
    auto [flow, boxes] = flowOf(&container, -2, -2, 0, 5, QSize(100, 92));
    // Three a line at 3 * 100 - 2 * 2.
    EXPECT_EQ(std::pair(flow->heightForWidth(296), flow->heightForWidth(295)), std::pair(92 * 2 - 2, 92 * 3 - 2 * 2));
    container.resize(296, flow->heightForWidth(296));
    flow->activate();
    EXPECT_EQ(boxes[1]->geometry(), QRect(98, 0, 100, 92));
    EXPECT_EQ(boxes[3]->geometry(), QRect(0, 90, 100, 92));
}

TEST(FlowBoxLayoutTest, AParentLayoutGivesTheFlowItsHeightForWidth) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* holder = new QWidget;
    flowOf(holder, 10, 10, 0, 6, QSize(90, 40));
    column->addWidget(holder);
    auto* below = new Box(QSize(10, 20));
    column->addWidget(below);
    column->addStretch();
    window.show();
    for (auto [width, lines] : {std::pair(300, 2), std::pair(200, 3)}) {
        window.resize(width, 400);
        column->activate();
        EXPECT_EQ(std::pair(holder->height(), below->y()), std::pair(40 * lines + 10 * (lines - 1), 40 * lines + 10 * (lines - 1))) << width;
    }
}

}  // namespace
}  // namespace kestrine
