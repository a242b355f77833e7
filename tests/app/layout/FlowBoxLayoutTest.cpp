// The flow layout as a QLayout: widgets in a real widget hierarchy.
#include "app/layout/FlowBoxLayout.h"
#include "app/layout/LayoutOverhang.h"
#include "app/style/KeyButton.h"

#include <QApplication>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

namespace kestrine {
namespace {

class Box : public QWidget {
public:
    Box(QSize hint, QWidget* parent = nullptr) : QWidget(parent), hint_(hint) {}
    QSize sizeHint() const override { return hint_; }

private:
    QSize hint_;
};

TEST(FlowBoxLayoutTest, WrapsWidgetsToTheContainerWidth) {
    QWidget container;
    auto* flow = new FlowBoxLayout(16, 18, false, &container);
    flow->setContentsMargins(10, 5, 10, 5);
    std::vector<Box*> boxes;
    for (int i = 0; i < 5; ++i) {
        boxes.push_back(new Box(QSize(170, 108)));
        flow->addWidget(boxes.back());
    }
    EXPECT_TRUE(flow->hasHeightForWidth());
    // 380 wide: 360 inside, two cards a line (170 + 16 + 170 = 356), three lines.
    EXPECT_EQ(flow->heightForWidth(380), 108 * 3 + 18 * 2 + 10);
    EXPECT_EQ(flow->heightForWidth(1000), 108 + 10);
    EXPECT_EQ(flow->sizeHint(), QSize(170 * 5 + 16 * 4 + 20, 118));
    EXPECT_EQ(flow->minimumSize().width(), 170 + 20);

    container.resize(380, flow->heightForWidth(380));
    flow->activate();
    EXPECT_EQ(boxes[0]->geometry(), QRect(10, 5, 170, 108));
    EXPECT_EQ(boxes[1]->geometry(), QRect(10 + 186, 5, 170, 108));
    EXPECT_EQ(boxes[2]->geometry(), QRect(10, 5 + 126, 170, 108));
    EXPECT_EQ(boxes[4]->geometry(), QRect(10, 5 + 252, 170, 108));

    // Hidden widgets take no place.
    boxes[1]->hide();
    flow->activate();
    EXPECT_EQ(boxes[2]->geometry(), QRect(10 + 186, 5, 170, 108));
    EXPECT_EQ(flow->heightForWidth(380), 108 * 2 + 18 + 10);

    // Moving an item reorders the places.
    flow->moveItem(4, 0);
    flow->activate();
    EXPECT_EQ(boxes[4]->geometry().topLeft(), QPoint(10, 5));
}

TEST(FlowBoxLayoutTest, OverhangSpillsIntoTheGaps) {
    QWidget container;
    auto* flow = new FlowBoxLayout(14, 14, false, &container);
    flow->setContentsMargins(0, 0, 0, 0);
    auto* shadowed = new Box(QSize(84 + 8 + 8, 76 + 4 + 12));
    LayoutOverhang::set(shadowed, QMargins(8, 4, 8, 12));
    auto* plain = new Box(QSize(84, 76));
    flow->addWidget(shadowed);
    flow->addWidget(plain);
    EXPECT_EQ(flow->measuredSizes(), (std::vector<QSizeF>{QSizeF(84, 76), QSizeF(84, 76)}));
    container.resize(400, 200);
    flow->activate();
    // The visible part is where the layout put it; the widget reaches around it.
    EXPECT_EQ(shadowed->geometry(), QRect(-8, -4, 100, 92));
    EXPECT_EQ(plain->geometry(), QRect(84 + 14, 0, 84, 76));

    // Key buttons declare their shadow room themselves.
    auto* key = new KeyButton(QStringLiteral("Save"));
    flow->addWidget(key);
    const QMargins room = LayoutOverhang::of(key);
    EXPECT_GT(room.bottom(), 0);
    flow->activate();
    EXPECT_EQ(key->geometry().left() + room.left(), 2 * (84 + 14));
}

TEST(FlowBoxLayoutTest, AParentLayoutGivesTheFlowItsHeightForWidth) {
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    auto* holder = new QWidget;
    auto* flow = new FlowBoxLayout(10, 10, false, holder);
    flow->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 6; ++i) flow->addWidget(new Box(QSize(90, 40)));
    column->addWidget(holder);
    auto* below = new Box(QSize(10, 20));
    column->addWidget(below);
    column->addStretch();

    window.resize(300, 400);  // three a line: two lines
    window.show();
    column->activate();
    EXPECT_EQ(holder->height(), 40 * 2 + 10);
    EXPECT_EQ(below->y(), 90);

    window.resize(200, 400);  // two a line: three lines
    column->activate();
    EXPECT_EQ(holder->height(), 40 * 3 + 10 * 2);
    EXPECT_EQ(below->y(), 140);
}

}  // namespace
}  // namespace kestrine
