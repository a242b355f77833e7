// The flow layout as a QLayout: widgets in a real widget hierarchy.
#include "app/layout/FlowBoxLayout.h"

#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace kestrine {
namespace {

class Box : public QWidget {
public:
    explicit Box(QSize hint) : hint_(hint) {}
    QSize sizeHint() const override { return hint_; }

private:
    QSize hint_;
};

std::vector<Box*> fill(FlowBoxLayout* flow, int count, QSize size) {
    std::vector<Box*> boxes;
    for (int i = 0; i < count; ++i) {
        boxes.push_back(new Box(size));
        flow->addWidget(boxes.back());
    }
    return boxes;
}

TEST(FlowBoxLayoutTest, WrapsWidgetsToTheContainerWidthSkippingHiddenOnesInTheirOrder) {
    QWidget container;
    auto* flow = new FlowBoxLayout(16, 18, false, &container);
    flow->setContentsMargins(10, 5, 10, 5);
    const std::vector<Box*> boxes = fill(flow, 5, QSize(170, 108));
    // 380 wide: 360 inside, two cards a line (170 + 16 + 170 = 356), three lines.
    EXPECT_EQ(flow->heightForWidth(380), 108 * 3 + 18 * 2 + 10);
    EXPECT_EQ(flow->heightForWidth(1000), 108 + 10);
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

    flow->moveItem(4, 0);
    flow->activate();
    EXPECT_EQ(boxes[4]->geometry().topLeft(), QPoint(10, 5));
}

// Widgets keep the room for their shadows inside them; a spacing below zero lets the rooms of
// neighbours overlap so that what they show stands the visible gap apart.
TEST(FlowBoxLayoutTest, ANegativeSpacingOverlapsNeighbours) {
    QWidget container;
    auto* flow = new FlowBoxLayout(-2, -2, false, &container);
    flow->setContentsMargins(0, 0, 0, 0);
    const std::vector<Box*> boxes = fill(flow, 5, QSize(100, 92));
    EXPECT_EQ(flow->heightForWidth(296), 92 * 2 - 2);  // three a line: 3 * 100 - 2 * 2
    EXPECT_EQ(flow->heightForWidth(295), 92 * 3 - 2 * 2);
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
    auto* flow = new FlowBoxLayout(10, 10, false, holder);
    flow->setContentsMargins(0, 0, 0, 0);
    fill(flow, 6, QSize(90, 40));
    column->addWidget(holder);
    auto* below = new Box(QSize(10, 20));
    column->addWidget(below);
    column->addStretch();
    window.show();
    for (auto [width, lines] : {std::pair(300, 2), std::pair(200, 3)}) {
        window.resize(width, 400);
        column->activate();
        EXPECT_EQ(holder->height(), 40 * lines + 10 * (lines - 1)) << width;
        EXPECT_EQ(below->y(), holder->height()) << width;
    }
}

}  // namespace
}  // namespace kestrine
