// The Dock shelf, its header and the preset cards against a real model over the recording fakes:
// drops, removal, keyboard moves, accessibility actions, selection, the context menu and its delete
// confirmation, the wrapping flows, and the states that only pixels show.
#include "tests/app/settings/SettingsViewTestSupport.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {


// Drags `text` over `target` at `at` and drops it there (unless `drop` is false, when it stays over
// it): whether the drag was let in and whether the drop was taken.
std::pair<bool, bool> dragAndDrop(QWidget* target, const QString& text, QPoint at, bool drop = true) {
    QMimeData data;
    data.setText(text);
    QDragEnterEvent enter(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    QDropEvent dropped(QPointF(at), Qt::MoveAction, &data, Qt::LeftButton, Qt::NoModifier);
    for (QDropEvent* event : {(QDropEvent*)&enter, (QDropEvent*)&move, &dropped})
        if (event != &dropped || drop) event->ignore(), QApplication::sendEvent(target, event);
    return {enter.isAccepted(), dropped.isAccepted()};
}

// Enters `widget` at `at` (its middle by default), or leaves it.
void hover(QWidget* widget, bool inside, std::optional<QPointF> at = {}) {
    const QPointF p = at.value_or(QPointF(widget->width() / 2.0, widget->height() / 2.0));
    QEnterEvent enter(p, p, widget->mapToGlobal(p));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, inside ? static_cast<QEvent*>(&enter) : &leave);
}

QStringList actionTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions()) texts << action->text();
    texts.removeAll(QString());  // separators
    return texts;
}

QAccessibleActionInterface* actions(QWidget* widget) { return QAccessible::queryAccessibleInterface(widget)->actionInterface(); }

// Both views over one model whose Dock holds `count` applications com.a, com.b, ... (then app26, ...).
class ShelfAndCardsTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override { ReduceMotion::setOverride(false), setDock(4); }
    void TearDown() override { shelf.reset(), cards.reset(), ReduceMotion::setOverride(std::nullopt), Palette::setDarkOverride(std::nullopt); }

    void setDock(int count) {
        shelf.reset(), cards.reset(), model.reset();
        system = std::make_shared<FakeSystem>();
        std::vector<plist::Dictionary> tiles;
        for (int i = 0; i < count; ++i) tiles.push_back(appTile(i < 26 ? std::string("com.") + char('a' + i) : "app" + std::to_string(i), i + 1));
        system->setDock(tiles);
        model = build(), model->reload();
        shelf = std::make_unique<DockShelfView>(*model);
        shelf->onAddApps = [this] { ++addAppsCalls; };
        cards = std::make_unique<PresetCardsView>(*model);
        cards->onEditor = [this](const PresetEditorMode& mode) { editorModes.push_back(mode); };
    }
    // Shows `view` with room for 608 points of visible content (and, for the cards, the room around it).
    void show(QWidget* view) {
        const int width = 680 - 72 + (view == cards.get() ? PresetCardsView::cardRoom().left() + PresetCardsView::cardRoom().right() : 0);
        view->resize(width, view->heightForWidth(width));
        view->show(), view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view));
        QCoreApplication::processEvents();
    }
    void addPresets(std::initializer_list<const char*> names, const std::set<std::string>& selection = {"com.a"}) {
        for (const char* name : names) ASSERT_TRUE(model->createPreset(name, std::nullopt, selection));
    }
    Ids order() { return appIDs(model->activePreset()->apps); }
    Ids tileOrder() {
        Ids ids;
        std::ranges::transform(shelf->tiles(), std::back_inserter(ids), [](ShelfTile* t) { return t->app().id; });
        return ids;
    }
    ShelfTile* tile(const std::string& id) {
        auto found = std::ranges::find(shelf->tiles(), id, [](ShelfTile* t) { return t->app().id; });
        return found == shelf->tiles().end() ? nullptr : *found;
    }
    PresetCard* card(const std::string& name) {
        auto found = std::ranges::find(cards->cards(), name, [](PresetCard* c) { return c->preset().name; });
        return found == cards->cards().end() ? nullptr : *found;
    }

    std::unique_ptr<DockShelfView> shelf;
    std::unique_ptr<PresetCardsView> cards;
    int addAppsCalls = 0;
    std::vector<PresetEditorMode> editorModes;
};

// MARK: - The shelf

TEST_F(ShelfAndCardsTest, TilesShowTheActivePresetInOrderThenTheAddTileOrTheEmptyText) {
    for (std::size_t count : {4, 2, 0}) {
        // Switching to another preset shows its applications; an empty one, the text instead.
        if (count == 2) model->createPreset("Pair", std::nullopt, {"com.c", "com.a"});
        if (count == 0) model->removeApp("com.a"), model->removeApp("com.c");
        EXPECT_EQ(std::pair(order().size(), tileOrder()), std::pair(count, order()));
        std::vector<QWidget*> flow(shelf->tiles().begin(), shelf->tiles().end());
        flow.push_back(shelf->addTile());
        EXPECT_EQ(std::pair(shelf->flowLayout()->widgets(), shelf->emptyLabel()->isVisibleTo(shelf.get())), std::pair(flow, count == 0));
        for (std::size_t i = 0; i < count; ++i)
            EXPECT_EQ(std::pair(shelf->tiles()[i]->canMoveEarlier(), shelf->tiles()[i]->canMoveLater()), std::pair(i > 0, i + 1 < count)) << i;
    }
    // The empty text stands above the add tile.
    show(shelf.get());
    EXPECT_LT(shelf->emptyLabel()->geometry().bottom(), shelf->flow()->geometry().top());
}

// A drop on a tile places the dragged one before it; on the add tile or the shelf's empty area,
// at the end. Drops of a tile on itself or of no text are refused; an id the preset does not hold
// is taken (and handed on) but moves nothing.
TEST_F(ShelfAndCardsTest, ADropPlacesTheTileBeforeTheTargetOrAtTheEnd) {
    const Ids same{"com.a", "com.b", "com.c", "com.d"};
    const std::tuple<std::string, QString, bool, Ids> rows[] = {  // target (a tile's id, "add" or "empty"), text, taken, order
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
    for (const auto& [name, text, taken, expected] : rows) {
        SCOPED_TRACE(name + " <- " + text.toStdString());
        setDock(4);
        QWidget* target = name == "add" ? shelf->addTile() : name == "empty" ? (QWidget*)shelf.get() : tile(name);
        QPoint at = target->rect().center();
        if (name == "empty") {
            show(shelf.get());
            at = QPoint(shelf->width() - 5, shelf->height() - 5);  // inside the padding, outside every tile
            ASSERT_EQ(shelf->childAt(at), nullptr);
        }
        const auto [entered, dropped] = dragAndDrop(target, text, at);
        // Taken both ways, the order in the model and on the shelf, a write scheduled, and no tile left marked.
        EXPECT_EQ(std::tuple(entered, dropped, order(), tileOrder(), scheduler->isScheduled(), std::ranges::none_of(shelf->tiles(), &ShelfTile::isTargeted)),
                  std::tuple(taken, taken, expected, expected, expected != same, true));
    }
}

TEST_F(ShelfAndCardsTest, AccessibilityActionsMoveAndRemoveAndDoNothingAtTheEnds) {
    EXPECT_EQ(QAccessible::queryAccessibleInterface(tile("com.a"))->text(QAccessible::Name), QStringLiteral("com.a"));
    const QString earlier = Localization::tr("shelf.moveEarlier"), later = Localization::tr("shelf.moveLater"),
                  remove = Localization::tr("shelf.remove");
    EXPECT_EQ(actions(tile("com.a"))->actionNames(), (QStringList{earlier, later, remove}));
    const std::tuple<const char*, QString, Ids> rows[] = {
        {"com.a", earlier, {"com.a", "com.b", "com.c", "com.d"}},  // the first cannot move earlier
        {"com.a", later, {"com.b", "com.a", "com.c", "com.d"}},
        {"com.d", later, {"com.b", "com.a", "com.c", "com.d"}},  // the last cannot move later
        {"com.d", earlier, {"com.b", "com.a", "com.d", "com.c"}},
        {"com.b", remove, {"com.a", "com.d", "com.c"}},
    };
    for (const auto& [id, action, expected] : rows) {
        actions(tile(id))->doAction(action);
        EXPECT_EQ(order(), expected) << id << " " << action.toStdString();
    }
}

// Focus goes to the tile that took the removed one's place, or the one before it at the end; Tab
// goes from the last tile to the add tile; Shift+F10 opens a tile's menu.
TEST_F(ShelfAndCardsTest, TheKeyboardMovesAndRemovesTheFocusedTile) {
    show(shelf.get());
    ShelfTile* b = tile("com.b");
    b->setFocus(Qt::TabFocusReason);
    QTest::keyClick(b, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(order(), (Ids{"com.a", "com.c", "com.b", "com.d"}));
    EXPECT_TRUE(tile("com.b") == b && b->hasFocus()) << "the very same tile keeps the focus";
    for (int i = 0; i < 3; ++i) QTest::keyClick(b, Qt::Key_Left, Qt::ControlModifier);  // the third: already first
    EXPECT_EQ(order(), (Ids{"com.b", "com.a", "com.c", "com.d"}));
    QTest::keyClick(b, Qt::Key_Delete);
    EXPECT_TRUE(order() == (Ids{"com.a", "com.c", "com.d"}) && tile("com.a")->hasFocus());
    tile("com.d")->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tile("com.d"), Qt::Key_Delete);
    EXPECT_TRUE(tile("com.c")->hasFocus());
    QTest::keyClick(tile("com.c"), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), shelf->addTile());
    QTest::keyClick(tile("com.a"), Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_TRUE(menu && menu->actions().size() == 1);
    menu->actions()[0]->trigger(), menu->close();
    EXPECT_EQ(order(), (Ids{"com.c"}));
}

// The add tile's square opens the picker (its caption takes no clicks); the new-preset card opens
// the editor in create mode.
TEST_F(ShelfAndCardsTest, TheAddTilesSquareAndTheNewPresetCardOpenTheEditor) {
    show(shelf.get());
    AddAppsTile* add = shelf->addTile();
    for (QPoint at : {QPoint(add->visibleRect().center().x(), add->visibleRect().bottom() - 2), add->squareRect().center().toPoint()})
        QTest::mouseClick(add, Qt::LeftButton, {}, at);
    EXPECT_EQ(addAppsCalls, 1);
    show(cards.get());
    QTest::mouseClick(cards->newPresetCard(), Qt::LeftButton, {}, cards->newPresetCard()->cardRect().center().toPoint());
    EXPECT_TRUE(editorModes.size() == 1 && editorModes[0].kind == PresetEditorMode::Kind::create);
}

// Sixty applications and thirty presets each wrap onto several lines without overlapping.
TEST_F(ShelfAndCardsTest, ManyTilesAndCardsWrapWithoutOverlapping) {
    setDock(60);
    for (int i = 1; i < 30; ++i) addPresets({("Preset number " + std::to_string(i)).c_str()});
    model->activate(model->presets()[0]);
    // Several lines, each flush with the left edge of `bounds` (in the flow's parent's coordinates), the first at its top.
    auto expectWraps = [](QWidget* flow, const QRect& bounds) {
        const auto lines = expectApart(flow->findChildren<QWidget*>(Qt::FindDirectChildrenOnly), bounds, flow->pos());
        EXPECT_TRUE(lines.size() > 1 && lines.begin()->first == bounds.top()) << lines.size();
        for (auto [top, left] : lines) EXPECT_EQ(left, bounds.left()) << "line at " << top;
    };
    show(shelf.get());
    const int p = DockShelfView::padding;
    expectWraps(shelf->flow(), shelf->rect().marginsRemoved(QMargins(p, p, p, p)));
    show(cards.get());
    expectWraps(cards->flow(), cards->flow()->geometry().marginsRemoved(PresetCardsView::room()));
}

TEST(ShelfHeaderTest, ShowsThePresetAndEditsItAndALongNameIsCutNotTheBadge) {
    ShelfHeader header;
    int edits = 0;
    header.onEdit = [&] { ++edits; };
    Preset preset;
    preset.name = "Studio";
    header.setPreset(preset);
    header.editButton()->click();
    EXPECT_EQ(std::pair(header.nameLabel()->text(), edits), std::pair(QStringLiteral("Studio"), 1));
    preset.name = std::string(200, 'W');
    header.setPreset(preset);
    header.resize(400, header.sizeHint().height());
    header.show();
    QCoreApplication::processEvents();
    EXPECT_TRUE(header.badge()->geometry().right() == header.width() - 1 && header.editButton()->geometry().right() < header.badge()->geometry().left() &&
                header.nameLabel()->shownText().endsWith(QStringLiteral("…")));
}

// Light and dark: at rest, then with a hovered tile and card and a tile dragged over another; the
// hovered faces, the drop bar and the active card's ring show in pixels. In the gap to the left of
// a tile (where the drop bar stands) the tile is not hovered; a hovered tile's badge removes it.
TEST_F(ShelfAndCardsTest, TheShelfAndTheCardsShowRestHoverAndDropInPixels) {
    for (bool dark : {false, true}) {
        SCOPED_TRACE(dark);
        Palette::setDarkOverride(dark);
        setDock(4);
        addPresets({"Focus"});
        addPresets({"Design and illustration studio"}, {"com.b", "com.c"});
        model->activate(0);
        show(shelf.get());
        show(cards.get());
        ShelfTile *hovered = shelf->tiles()[1], *target = shelf->tiles()[3];
        PresetCard *active = cards->cards()[0], *other = cards->cards()[2];
        const QPointF face = hovered->keyRect().topLeft() + QPointF(6, 38);  // beside the icon
        const QPointF bar(target->visibleRect().left() - 7, target->keyRect().center().y());
        const QRectF ring = active->restingFaceRect();
        // The shelf's well, the hovered tile's face, the drop bar, the active card's ring, the other card's face.
        auto looks = [&](const QString& name, bool hovering) {
            const QImage s = shoot(shelf.get(), QStringLiteral("shelf") + name), c = shoot(cards.get(), QStringLiteral("cards") + name);
            const QColor face2 = hovering ? Palette::raisedHover() : Palette::raised();
            return std::tuple(near(colorIn(s, shelf.get(), shelf.get(), QPointF(10, shelf->height() / 2.0)), Palette::well()),
                              near(colorIn(s, shelf.get(), hovered, face), face2, 2), near(colorIn(s, shelf.get(), target, bar), Palette::accent(), 12),
                              near(colorIn(c, cards.get(), active, QPointF(ring.left() + 1, ring.center().y())), Palette::accent(), 12),
                              near(colorIn(c, cards.get(), other, other->restingFaceRect().center()), face2, hovering ? 2 : 4));
        };
        EXPECT_EQ(looks("", false), std::tuple(true, true, false, true, true));
        hover(hovered, true, hovered->keyRect().center());
        hover(other, true, other->restingFaceRect().center());
        dragAndDrop(target, QStringLiteral("com.a"), target->rect().center(), false);
        EXPECT_EQ(looks("-hovered", true), std::tuple(true, true, true, true, true));
    }
    hover(tile("com.c"), true, QPointF(2, tile("com.c")->keyRect().center().y()));
    EXPECT_EQ(std::pair(tile("com.b")->isHovered(), tile("com.c")->isHovered()), std::pair(true, false));
    tile("com.b")->removeButton()->click();
    EXPECT_TRUE(order() == (Ids{"com.a", "com.c", "com.d"}) && !tile("com.b"));
}

// MARK: - The cards

// The tenth and later cards have no digit; Tab walks the cards in order and ends on the new-preset card.
TEST_F(ShelfAndCardsTest, OneCardPerPresetInOrderThenTheNewPresetCardAndOnlyTheActiveMarked) {
    for (int i = 1; i <= 10; ++i) addPresets({("P" + std::to_string(i)).c_str()});
    const std::vector<QWidget*> order = static_cast<AnimatedFlowLayout*>(cards->flow()->layout())->widgets();
    ASSERT_TRUE(cards->cards().size() == 11 && order.size() == 12 && order.back() == cards->newPresetCard());
    for (std::size_t i = 0; i < 11; ++i) {
        PresetCard* c = cards->cards()[i];
        EXPECT_EQ(std::tuple(order[i], c->preset().id, c->digitText(), c->isActive(), c->showsCurrentBadge()),
                  std::tuple((QWidget*)c, model->presets()[i].id, i < 9 ? QString::number(i + 1) : QString(), i == 10, i == 10));
    }
    show(cards.get());
    order[0]->setFocus(Qt::TabFocusReason);
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
}

// By a click or by the accessible press action: the preset becomes active on the same cards.
TEST_F(ShelfAndCardsTest, ACardActivatesItsPresetInPlaceAndIsOneAccessibleElement) {
    addPresets({"Work"});
    show(cards.get());
    PresetCard *home = cards->cards()[0], *work = cards->cards()[1];
    QAccessibleInterface *homeAccess = QAccessible::queryAccessibleInterface(home), *workAccess = QAccessible::queryAccessibleInterface(work);
    EXPECT_EQ(workAccess->text(QAccessible::Name), QStringLiteral("Work"));
    const std::function<void(PresetCard*)> roads[] = {
        [](PresetCard* c) { QTest::mouseClick(c, Qt::LeftButton, {}, c->restingFaceRect().center().toPoint()); },
        [](PresetCard* c) { actions(c)->doAction(QAccessibleActionInterface::pressAction()); },
    };
    for (const auto& road : roads) {
        model->activate(work->preset());
        EXPECT_EQ(std::pair(bool(workAccess->state().selected), bool(homeAccess->state().selected)), std::pair(true, false));
        road(home);
        EXPECT_EQ(std::pair(model->activeID(), cards->cards()), std::pair(std::string("default"), std::vector<PresetCard*>{home, work}));
        EXPECT_EQ(std::tuple(home->isActive(), bool(homeAccess->state().selected), work->isActive(), bool(workAccess->state().selected)),
                  std::tuple(true, true, false, false));
    }
}

// Hovering shows the delete button on other presets only; the active one gives it its badge's
// corner. Asking to delete the default preset by any road shows nothing.
TEST_F(ShelfAndCardsTest, TheMenuEditsAndNoRoadOffersToDeleteTheDefaultPreset) {
    addPresets({"Work"});
    show(cards.get());
    PresetCard *home = cards->cards()[0], *work = cards->cards()[1];
    EXPECT_EQ(actionTexts(std::unique_ptr<QMenu>(home->makeContextMenu(nullptr)).get()), QStringList{Localization::tr("preset.edit")});
    work->setFocus(Qt::TabFocusReason);
    QTest::keyClick(work, Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(actionTexts(menu), (QStringList{Localization::tr("preset.edit"), Localization::tr("preset.delete.confirm")}));
    menu->actions().first()->trigger(), menu->close();
    ASSERT_EQ(editorModes.size(), 1u);
    EXPECT_EQ(std::pair(editorModes[0].kind, editorModes[0].preset.value_or(Preset()).id), std::pair(PresetEditorMode::Kind::details, work->preset().id));

    hover(work, true);
    EXPECT_EQ(std::pair(work->deleteButton()->isVisibleTo(work), work->showsCurrentBadge()), std::pair(true, false));
    hover(work, false);
    EXPECT_EQ(std::pair(work->showsDeleteButton(), work->showsCurrentBadge()), std::pair(false, true));
    model->activate(model->presets()[0]);
    hover(home, true);
    EXPECT_EQ(std::pair(home->deleteButton()->isVisibleTo(home), home->showsCurrentBadge()), std::pair(false, true));

    home->setFocus();
    QTest::keyClick(home, Qt::Key_Delete);
    cards->confirmDelete(model->presets()[0]);
    EXPECT_TRUE(!cards->deleteAlert() && model->presets().size() == 2);
}

// Every road to deleting asks first; only the confirming button deletes.
TEST_F(ShelfAndCardsTest, DeletingAsksFirstAndDeletesOnlyOnConfirmation) {
    const std::pair<const char*, std::function<void(PresetCard*)>> roads[] = {
        {"menu", [](PresetCard* c) { std::unique_ptr<QMenu>(c->makeContextMenu(nullptr))->actions().last()->trigger(); }},
        {"Delete key", [](PresetCard* c) { c->setFocus(Qt::TabFocusReason), QTest::keyClick(c, Qt::Key_Delete); }},
        {"hover button", [](PresetCard* c) { hover(c, true), c->deleteButton()->click(); }},
    };
    addPresets({"Work", "Play"});
    show(cards.get());
    for (bool confirm : {false, true}) {
        for (const auto& [name, road] : roads) {
            SCOPED_TRACE(std::string(name) + (confirm ? " confirmed" : " cancelled"));
            if (!card("Work")) addPresets({"Work"});
            const std::string workID = card("Work")->preset().id;
            const std::size_t before = model->presets().size();
            road(card("Work"));
            QMessageBox* alert = cards->deleteAlert();
            ASSERT_NE(alert, nullptr);
            EXPECT_EQ(std::pair(alert->text(), cards->presetToDelete().value_or(Preset()).id),
                      std::pair(Localization::format("preset.delete.title", QStringLiteral("Work")), workID));
            const QList<QAbstractButton*> buttons = alert->buttons();
            auto yes = std::ranges::find(buttons, QMessageBox::DestructiveRole, [&](auto* b) { return alert->buttonRole(b); });
            ASSERT_NE(yes, buttons.end());
            if (confirm) (*yes)->click();
            else QTest::keyClick(alert, Qt::Key_Escape);
            EXPECT_FALSE(cards->deleteAlert() || cards->presetToDelete());
            EXPECT_EQ(std::tuple(model->presets().size(), card("Work") != nullptr, card("Play") != nullptr), std::tuple(before - confirm, !confirm, true));
        }
    }
}

// One application reads "one"; removing an application from the active preset updates its card in place.
TEST_F(ShelfAndCardsTest, TheApplicationCountReadsOneOrTheNumberAndFollowsTheActivePreset) {
    addPresets({"Solo"}, {"com.b"});
    addPresets({"Trio"}, {"com.a", "com.b", "com.c"});
    const QString one = Localization::tr("preset.apps.one");
    EXPECT_EQ(std::tuple(card("Solo")->appCountText(), card("Trio")->appCountText(), PresetCard::appCountText(0)),
              std::tuple(one, Localization::format("preset.apps.other", 3), Localization::format("preset.apps.other", 0)));
    PresetCard* trio = card("Trio");
    model->removeApp("com.a"), model->removeApp("com.b");
    EXPECT_TRUE(card("Trio") == trio && trio->appCountText() == one);
}

// A card that changes place sets off from where it was; with reduce motion, the next change puts
// it in its place at once, even mid-way.
TEST_F(ShelfAndCardsTest, CardsThatChangePlaceGlideUnlessMotionIsReduced) {
    addPresets({"One", "Two", "Three"});
    show(cards.get());
    AnimatedFlowLayout* flow = cards->flowLayout();
    PresetCard* three = card("Three");
    const QPoint slot1 = cards->cards()[1]->pos(), slot2 = cards->cards()[2]->pos(), before = three->pos();
    model->deletePreset(card("One")->preset());
    flow->activate();
    EXPECT_EQ(std::tuple(card("Three"), flow->isMoving(three), flow->destination(three), three->pos()), std::tuple(three, true, slot2, before));
    ReduceMotion::setOverride(true);
    model->deletePreset(card("Two")->preset());
    flow->activate();
    EXPECT_EQ(std::tuple(cards->cards()[1], flow->isMoving(three), three->pos()), std::tuple(three, false, slot1));
}

}  // namespace
