// The Dock shelf and its header against a real model over the recording fakes: drops on tiles,
// the add tile and the empty area, removal, keyboard moves, accessibility actions and the
// wrapping flow. (The drop bar and the hover badge are drawn and checked by the render test.)
#include <gtest/gtest.h>

#include "app/Localization.h"
#include "app/settings/AddAppsTile.h"
#include "app/settings/AnimatedFlowLayout.h"
#include "app/settings/DockShelfView.h"
#include "app/settings/ShelfHeader.h"
#include "app/settings/ShelfTile.h"
#include "app/style/IconButton.h"
#include "app/style/PaletteLabel.h"
#include "app/style/ReduceMotion.h"
#include "tests/app/settings/SettingsViewTestSupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QDragEnterEvent>
#include <QEnterEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

struct DropResult {
    bool entered = false;
    bool dropped = false;
};

// Drags `text` over `target` at `pos` (its centre by default) and drops it there.
DropResult dragAndDrop(QWidget* target, const QString& text, std::optional<QPoint> pos = std::nullopt) {
    const QPoint at = pos.value_or(target->rect().center());
    QMimeData data;
    data.setText(text);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QApplication::sendEvent(target, &enter);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    move.ignore();
    QApplication::sendEvent(target, &move);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    drop.ignore();
    QApplication::sendEvent(target, &drop);
    return {enter.isAccepted(), drop.isAccepted()};
}

void hover(QWidget* widget, QPointF at) {
    QEnterEvent enter(at, at, widget->mapToGlobal(at));
    QApplication::sendEvent(widget, &enter);
}

class DockShelfTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        ReduceMotion::setOverride(false);
        setDock(4);
    }
    void TearDown() override {
        view.reset();
        ReduceMotion::setOverride(std::nullopt);
    }

    // A Dock of `count` applications com.a, com.b, ... (then app10, app11, ...).
    void setDock(int count) {
        view.reset();
        model.reset();
        system = std::make_shared<FakeSystem>();
        std::vector<plist::Dictionary> tiles;
        for (int i = 0; i < count; ++i) tiles.push_back(appTile(idAt(i), i + 1));
        system->setDock(tiles);
        model = build();
        ASSERT_FALSE(model->isInert());
        model->reload();
        view = std::make_unique<DockShelfView>(*model);
        view->onAddApps = [this] { ++addAppsCalls; };
    }
    static std::string idAt(int i) {
        return i < 26 ? std::string("com.") + char('a' + i) : "app" + std::to_string(i);
    }
    void showView(int width = 680 - 72) {
        view->resize(width, view->heightForWidth(width));
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        QCoreApplication::processEvents();
    }
    std::vector<std::string> order() { return appIDs(model->activePreset()->apps); }
    std::vector<std::string> tileOrder() {
        std::vector<std::string> ids;
        for (ShelfTile* tile : view->tiles()) ids.push_back(tile->app().id);
        return ids;
    }
    ShelfTile* tile(const std::string& id) {
        for (ShelfTile* t : view->tiles())
            if (t->app().id == id) return t;
        return nullptr;
    }

    std::unique_ptr<DockShelfView> view;
    int addAppsCalls = 0;
};

using Ids = std::vector<std::string>;

TEST_F(DockShelfTest, TilesShowTheActivePresetInOrderThenTheAddTileOrTheEmptyText) {
    EXPECT_EQ(tileOrder(), (Ids{"com.a", "com.b", "com.c", "com.d"}));
    const std::vector<QWidget*> flow = view->flowLayout()->widgets();
    ASSERT_EQ(flow.size(), 5u);
    EXPECT_EQ(flow.back(), view->addTile());
    EXPECT_FALSE(view->emptyLabel()->isVisibleTo(view.get()));
    EXPECT_FALSE(view->tiles().front()->canMoveEarlier());
    EXPECT_TRUE(view->tiles().front()->canMoveLater());
    EXPECT_TRUE(view->tiles().back()->canMoveEarlier());
    EXPECT_FALSE(view->tiles().back()->canMoveLater());

    // Switching to another preset shows its applications.
    ASSERT_TRUE(model->createPreset("Pair", std::nullopt, {"com.c", "com.a"}));
    EXPECT_EQ(tileOrder(), order());
    EXPECT_EQ(tileOrder().size(), 2u);

    // An empty preset shows the empty text above the add tile alone.
    for (const char* id : {"com.a", "com.c"}) model->removeApp(id);
    ASSERT_TRUE(model->activePreset()->apps.empty());
    EXPECT_TRUE(view->tiles().empty());
    EXPECT_TRUE(view->emptyLabel()->isVisibleTo(view.get()));
    EXPECT_EQ(view->flowLayout()->widgets(), std::vector<QWidget*>{view->addTile()});
    showView();
    EXPECT_LT(view->emptyLabel()->geometry().bottom(), view->flow()->geometry().top());
}

TEST_F(DockShelfTest, ADropPlacesTheTileBeforeTheTargetOrAtTheEnd) {
    ShelfTile* first = tile("com.a");
    ShelfTile* second = tile("com.b");
    // The first before the second is where it already is.
    DropResult result = dragAndDrop(second, "com.a");
    EXPECT_TRUE(result.entered);
    EXPECT_TRUE(result.dropped);
    EXPECT_EQ(order(), (Ids{"com.a", "com.b", "com.c", "com.d"}));
    dragAndDrop(first, "com.b");
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));
    // The very same tiles, in their new order.
    EXPECT_EQ(view->tiles()[0], second);
    EXPECT_EQ(view->tiles()[1], first);
    EXPECT_FALSE(second->canMoveEarlier());
    EXPECT_TRUE(first->canMoveEarlier());
    // Only the first line of a dropped text counts.
    dragAndDrop(tile("com.b"), "com.d\ncom.c");
    EXPECT_EQ(order(), (Ids{"com.d", "com.b", "com.a", "com.c"}));

    // On the add tile or the shelf's empty area: to the end.
    EXPECT_TRUE(dragAndDrop(view->addTile(), "com.d").dropped);
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));
    showView();
    const QPoint empty(view->width() - 5, view->height() - 5);  // inside the padding, outside every tile
    ASSERT_EQ(view->childAt(empty), nullptr);
    result = dragAndDrop(view.get(), "com.b", empty);
    EXPECT_TRUE(result.entered);
    EXPECT_TRUE(result.dropped);
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.d", "com.b"}));
    EXPECT_EQ(tileOrder(), order());
}

TEST_F(DockShelfTest, DropsOnItselfOrOfNoTextAreRefusedAndUnknownIdsChangeNothing) {
    const int scheduledBefore = scheduler->scheduled;
    DropResult self = dragAndDrop(tile("com.b"), "com.b");
    EXPECT_FALSE(self.entered);
    EXPECT_FALSE(self.dropped);
    EXPECT_FALSE(tile("com.b")->isTargeted());
    for (QWidget* target : std::vector<QWidget*>{tile("com.a"), view->addTile(), view.get()}) {
        DropResult blank = dragAndDrop(target, QString());
        EXPECT_FALSE(blank.entered);
        EXPECT_FALSE(blank.dropped);
    }
    // An id the preset does not hold is taken (and handed on) but moves nothing.
    EXPECT_TRUE(dragAndDrop(tile("com.c"), "org.elsewhere").dropped);
    EXPECT_TRUE(dragAndDrop(view->addTile(), "org.elsewhere").dropped);
    EXPECT_EQ(order(), (Ids{"com.a", "com.b", "com.c", "com.d"}));
    EXPECT_EQ(scheduler->scheduled, scheduledBefore);
}

TEST_F(DockShelfTest, HoverShowsTheRemoveBadgeWhichRemovesTheApplication) {
    ShelfTile* b = tile("com.b");
    hover(b, b->keyRect().center());
    EXPECT_TRUE(b->isHovered());

    // In the gap to the left of the tile (where the drop bar stands) the tile is not hovered.
    ShelfTile* c = tile("com.c");
    hover(c, QPointF(2, c->keyRect().center().y()));
    EXPECT_FALSE(c->isHovered());

    b->removeButton()->click();
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.d"}));
    EXPECT_EQ(tile("com.b"), nullptr);
}

TEST_F(DockShelfTest, AccessibilityActionsMoveAndRemoveAndDoNothingAtTheEnds) {
    QAccessibleInterface* first = QAccessible::queryAccessibleInterface(tile("com.a"));
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("com.a"));
    EXPECT_EQ(first->childCount(), 0);
    QAccessibleActionInterface* actions = first->actionInterface();
    ASSERT_NE(actions, nullptr);
    const QString earlier = Localization::tr("shelf.moveEarlier");
    const QString later = Localization::tr("shelf.moveLater");
    const QString remove = Localization::tr("shelf.remove");
    EXPECT_EQ(actions->actionNames(), (QStringList{earlier, later, remove}));

    actions->doAction(earlier);  // the first tile cannot move earlier
    EXPECT_EQ(order(), (Ids{"com.a", "com.b", "com.c", "com.d"}));
    actions->doAction(later);
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));

    QAccessibleActionInterface* last = QAccessible::queryAccessibleInterface(tile("com.d"))->actionInterface();
    last->doAction(later);  // the last tile cannot move later
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));
    last->doAction(earlier);
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.d", "com.c"}));

    QAccessible::queryAccessibleInterface(tile("com.b"))->actionInterface()->doAction(remove);
    EXPECT_EQ(order(), (Ids{"com.a", "com.d", "com.c"}));
}

TEST_F(DockShelfTest, TheKeyboardMovesAndRemovesTheFocusedTile) {
    showView();
    ShelfTile* b = tile("com.b");
    b->setFocus(Qt::TabFocusReason);
    QTest::keyClick(b, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.b", "com.d"}));
    EXPECT_EQ(tile("com.b"), b);
    EXPECT_TRUE(b->hasFocus());
    QTest::keyClick(b, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(b, Qt::Key_Left, Qt::ControlModifier);
    QTest::keyClick(b, Qt::Key_Left, Qt::ControlModifier);  // already first: nothing
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));

    QTest::keyClick(b, Qt::Key_Delete);
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.d"}));
    // Focus goes to the tile that took its place.
    EXPECT_TRUE(tile("com.a")->hasFocus());
    ShelfTile* d = tile("com.d");
    d->setFocus(Qt::TabFocusReason);
    QTest::keyClick(d, Qt::Key_Delete);
    EXPECT_TRUE(tile("com.c")->hasFocus());

    // Tab goes from the last tile to the add tile; Shift+F10 opens a tile's menu.
    QTest::keyClick(tile("com.c"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->addTile());
    QTest::keyClick(tile("com.a"), Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->actions().size(), 1);
    EXPECT_EQ(menu->actions()[0]->text(), Localization::tr("shelf.remove"));
    menu->actions()[0]->trigger();
    menu->close();
    EXPECT_EQ(order(), (Ids{"com.c"}));
}

TEST_F(DockShelfTest, TheAddTileOpensThePicker) {
    showView();
    AddAppsTile* add = view->addTile();
    QTest::mouseClick(add, Qt::LeftButton, {}, add->squareRect().center().toPoint());
    EXPECT_EQ(addAppsCalls, 1);
    // Its caption takes no clicks.
    QTest::mouseClick(add, Qt::LeftButton, {}, QPoint(add->visibleRect().center().x(), add->visibleRect().bottom() - 2));
    EXPECT_EQ(addAppsCalls, 1);
    add->setFocus(Qt::TabFocusReason);
    QTest::keyClick(add, Qt::Key_Space);
    EXPECT_EQ(addAppsCalls, 2);
}

TEST_F(DockShelfTest, SixtyApplicationsWrapWithoutOverlapping) {
    setDock(60);
    ASSERT_EQ(view->tiles().size(), 60u);
    showView();
    const int padding = DockShelfView::padding;
    EXPECT_GT(expectWrapsWithin(view->flow(), view->rect().marginsRemoved(QMargins(padding, padding, padding, padding))), 1u);
}

class ShelfHeaderTest : public ::testing::Test {};

TEST_F(ShelfHeaderTest, ShowsThePresetAndEditsIt) {
    ShelfHeader header;
    int edits = 0;
    header.onEdit = [&] { ++edits; };
    Preset preset;
    preset.id = "p";
    preset.name = "Studio";
    preset.emoji = "🎧";
    header.setPreset(preset);
    EXPECT_EQ(header.nameLabel()->text(), QStringLiteral("Studio"));
    header.editButton()->click();
    EXPECT_EQ(edits, 1);

    // The badge sits at the right end however wide the row is; a long name is cut, not the badge.
    preset.name = std::string(200, 'W');
    header.setPreset(preset);
    header.resize(400, header.sizeHint().height());
    header.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(header.badge()->geometry().right(), header.width() - 1);
    EXPECT_LT(header.editButton()->geometry().right(), header.badge()->geometry().left());
    EXPECT_TRUE(header.nameLabel()->shownText().endsWith(QStringLiteral("…")));
}

}  // namespace
