// The Dock shelf and its header against a real model over the recording fakes: drops on tiles,
// the add tile and the empty area, removal, keyboard moves, accessibility actions and the
// wrapping flow. (The drop bar and the hover face are drawn and checked by the render test.)
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

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

using Ids = std::vector<std::string>;

// Drags `text` over `target` at `at` and drops it there: whether the drag was let in and whether
// the drop was taken.
std::pair<bool, bool> dragAndDrop(QWidget* target, const QString& text, QPoint at) {
    QMimeData data;
    data.setText(text);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    for (QDropEvent* event : {(QDropEvent*)&enter, (QDropEvent*)&move, &drop}) event->ignore(), QApplication::sendEvent(target, event);
    return {enter.isAccepted(), drop.isAccepted()};
}

class DockShelfTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override { ReduceMotion::setOverride(false), setDock(4); }
    void TearDown() override { view.reset(), ReduceMotion::setOverride(std::nullopt); }

    // A Dock of `count` applications com.a, com.b, ... (then app26, app27, ...).
    void setDock(int count) {
        view.reset();
        model.reset();
        system = std::make_shared<FakeSystem>();
        std::vector<plist::Dictionary> tiles;
        for (int i = 0; i < count; ++i) tiles.push_back(appTile(i < 26 ? std::string("com.") + char('a' + i) : "app" + std::to_string(i), i + 1));
        system->setDock(tiles);
        model = build();
        model->reload();
        view = std::make_unique<DockShelfView>(*model);
        view->onAddApps = [this] { ++addAppsCalls; };
    }
    void showView(int width = 680 - 72) {
        view->resize(width, view->heightForWidth(width));
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        QCoreApplication::processEvents();
    }
    Ids order() { return appIDs(model->activePreset()->apps); }
    Ids tileOrder() {
        Ids ids;
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

TEST_F(DockShelfTest, TilesShowTheActivePresetInOrderThenTheAddTileOrTheEmptyText) {
    EXPECT_EQ(tileOrder(), (Ids{"com.a", "com.b", "com.c", "com.d"}));
    for (std::size_t count : {4, 2, 0}) {
        // Switching to another preset shows its applications; an empty one, the text instead.
        if (count == 2) model->createPreset("Pair", std::nullopt, {"com.c", "com.a"});
        if (count == 0) model->removeApp("com.a"), model->removeApp("com.c");
        EXPECT_EQ(order().size(), count);
        EXPECT_EQ(tileOrder(), order());
        std::vector<QWidget*> flow(view->tiles().begin(), view->tiles().end());
        flow.push_back(view->addTile());
        EXPECT_EQ(view->flowLayout()->widgets(), flow);
        EXPECT_EQ(view->emptyLabel()->isVisibleTo(view.get()), count == 0);
        for (std::size_t i = 0; i < count; ++i) {
            EXPECT_EQ(view->tiles()[i]->canMoveEarlier(), i > 0) << i;
            EXPECT_EQ(view->tiles()[i]->canMoveLater(), i + 1 < count) << i;
        }
    }
    // The empty text stands above the add tile.
    showView();
    EXPECT_LT(view->emptyLabel()->geometry().bottom(), view->flow()->geometry().top());
}

// A drop on a tile places the dragged one before it; on the add tile or the shelf's empty area,
// at the end. Drops of a tile on itself or of no text are refused; an id the preset does not hold
// is taken (and handed on) but moves nothing.
TEST_F(DockShelfTest, ADropPlacesTheTileBeforeTheTargetOrAtTheEnd) {
    const Ids same{"com.a", "com.b", "com.c", "com.d"};
    const struct {
        std::string target;  // a tile's id, "add" or "empty"
        QString text;
        bool taken;
        Ids expected;
    } rows[] = {
        {"com.b", "com.a", true, same},  // before the next is where it is
        {"com.a", "com.c", true, {"com.c", "com.a", "com.b", "com.d"}},
        {"com.b", "com.d\ncom.c", true, {"com.a", "com.d", "com.b", "com.c"}},  // only the first line counts
        {"add", "com.a", true, {"com.b", "com.c", "com.d", "com.a"}},
        {"empty", "com.b", true, {"com.a", "com.c", "com.d", "com.b"}},
        {"com.b", "com.b", false, same},
        {"com.a", "", false, same},
        {"add", "", false, same},
        {"empty", "", false, same},
        {"com.c", "org.elsewhere", true, same},
        {"add", "org.elsewhere", true, same},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.target + " <- " + r.text.toStdString());
        setDock(4);
        const int scheduled = scheduler->scheduled;
        QWidget* target = r.target == "add" ? view->addTile() : r.target == "empty" ? (QWidget*)view.get() : tile(r.target);
        QPoint at = target->rect().center();
        if (r.target == "empty") {
            showView();
            at = QPoint(view->width() - 5, view->height() - 5);  // inside the padding, outside every tile
            ASSERT_EQ(view->childAt(at), nullptr);
        }
        EXPECT_EQ(dragAndDrop(target, r.text, at), std::pair(r.taken, r.taken));
        EXPECT_EQ(order(), r.expected);
        EXPECT_EQ(tileOrder(), r.expected);
        EXPECT_EQ(scheduler->scheduled > scheduled, r.expected != same);
        for (ShelfTile* t : view->tiles()) EXPECT_FALSE(t->isTargeted());
    }
}

TEST_F(DockShelfTest, HoverShowsTheRemoveBadgeWhichRemovesTheApplication) {
    auto hover = [](ShelfTile* t, QPointF at) {
        QEnterEvent enter(at, at, t->mapToGlobal(at));
        QApplication::sendEvent(t, &enter);
        return t->isHovered();
    };
    EXPECT_TRUE(hover(tile("com.b"), tile("com.b")->keyRect().center()));
    // In the gap to the left of the tile (where the drop bar stands) the tile is not hovered.
    EXPECT_FALSE(hover(tile("com.c"), QPointF(2, tile("com.c")->keyRect().center().y())));
    tile("com.b")->removeButton()->click();
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.d"}));
    EXPECT_EQ(tile("com.b"), nullptr);
}

TEST_F(DockShelfTest, AccessibilityActionsMoveAndRemoveAndDoNothingAtTheEnds) {
    QAccessibleInterface* first = QAccessible::queryAccessibleInterface(tile("com.a"));
    ASSERT_TRUE(first && first->actionInterface());
    EXPECT_EQ(first->text(QAccessible::Name), QStringLiteral("com.a"));
    const QString earlier = Localization::tr("shelf.moveEarlier"), later = Localization::tr("shelf.moveLater"),
                  remove = Localization::tr("shelf.remove");
    EXPECT_EQ(first->actionInterface()->actionNames(), (QStringList{earlier, later, remove}));
    const std::tuple<const char*, QString, Ids> rows[] = {
        {"com.a", earlier, {"com.a", "com.b", "com.c", "com.d"}},  // the first cannot move earlier
        {"com.a", later, {"com.b", "com.a", "com.c", "com.d"}},
        {"com.d", later, {"com.b", "com.a", "com.c", "com.d"}},  // the last cannot move later
        {"com.d", earlier, {"com.b", "com.a", "com.d", "com.c"}},
        {"com.b", remove, {"com.a", "com.d", "com.c"}},
    };
    for (const auto& [id, action, expected] : rows) {
        QAccessible::queryAccessibleInterface(tile(id))->actionInterface()->doAction(action);
        EXPECT_EQ(order(), expected) << id << " " << action.toStdString();
    }
}

TEST_F(DockShelfTest, TheKeyboardMovesAndRemovesTheFocusedTile) {
    showView();
    ShelfTile* b = tile("com.b");
    b->setFocus(Qt::TabFocusReason);
    QTest::keyClick(b, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.b", "com.d"}));
    EXPECT_EQ(tile("com.b"), b) << "the very same tile";
    EXPECT_TRUE(b->hasFocus());
    for (int i = 0; i < 3; ++i) QTest::keyClick(b, Qt::Key_Left, Qt::ControlModifier);  // the third: already first
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));

    // Focus goes to the tile that took the removed one's place, or the one before it at the end.
    QTest::keyClick(b, Qt::Key_Delete);
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.d"}));
    EXPECT_TRUE(tile("com.a")->hasFocus());
    tile("com.d")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tile("com.d"), Qt::Key_Delete);
    EXPECT_TRUE(tile("com.c")->hasFocus());

    // Tab goes from the last tile to the add tile; Shift+F10 opens a tile's menu.
    QTest::keyClick(tile("com.c"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->addTile());
    QTest::keyClick(tile("com.a"), Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu && menu->actions().size() == 1);
    menu->actions()[0]->trigger();
    menu->close();
    EXPECT_EQ(order(), (Ids{"com.c"}));
}

TEST_F(DockShelfTest, TheAddTilesSquareOpensThePickerAndItsCaptionTakesNoClicks) {
    showView();
    AddAppsTile* add = view->addTile();
    QTest::mouseClick(add, Qt::LeftButton, {}, QPoint(add->visibleRect().center().x(), add->visibleRect().bottom() - 2));
    EXPECT_EQ(addAppsCalls, 0);
    QTest::mouseClick(add, Qt::LeftButton, {}, add->squareRect().center().toPoint());
    EXPECT_EQ(addAppsCalls, 1);
}

TEST_F(DockShelfTest, SixtyApplicationsWrapWithoutOverlapping) {
    setDock(60);
    showView();
    const int p = DockShelfView::padding;
    EXPECT_GT(expectWrapsWithin(view->flow(), view->rect().marginsRemoved(QMargins(p, p, p, p))), 1u);
}

TEST(ShelfHeaderTest, ShowsThePresetAndEditsItAndALongNameIsCutNotTheBadge) {
    ShelfHeader header;
    int edits = 0;
    header.onEdit = [&] { ++edits; };
    Preset preset;
    preset.name = "Studio";
    header.setPreset(preset);
    EXPECT_EQ(header.nameLabel()->text(), QStringLiteral("Studio"));
    header.editButton()->click();
    EXPECT_EQ(edits, 1);
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
