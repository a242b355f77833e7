// The preset cards against a real model over the recording fakes: selection, hover, the context
// menu and its delete confirmation, the keyboard, accessibility, and the wrapping flow.
#include <gtest/gtest.h>

#include "app/Localization.h"
#include "app/settings/AnimatedFlowLayout.h"
#include "app/settings/NewPresetCard.h"
#include "app/settings/PresetCard.h"
#include "app/settings/PresetCardsView.h"
#include "app/style/IconButton.h"
#include "app/style/ReduceMotion.h"
#include "tests/app/settings/SettingsViewTestSupport.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QApplication>
#include <QEnterEvent>
#include <QMenu>
#include <QMessageBox>
#include <QTest>

using namespace kestrine;
using namespace kestrine::testing;

namespace {

QStringList actionTexts(QMenu* menu) {
    QStringList texts;
    for (QAction* action : menu->actions())
        if (!action->isSeparator()) texts << action->text();
    return texts;
}

void trigger(QMenu* menu, const char* key) {
    for (QAction* action : menu->actions())
        if (action->text() == Localization::tr(key)) action->trigger();
}

void hover(QWidget* widget, bool inside) {
    const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
    QEnterEvent enter(at, at, widget->mapToGlobal(at));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(widget, inside ? static_cast<QEvent*>(&enter) : &leave);
}

class PresetCardsTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        ReduceMotion::setOverride(false);
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), appTile("com.c", 3)});
        model = build(), model->reload();
        view = std::make_unique<PresetCardsView>(*model);
        view->onEditor = [this](const PresetEditorMode& mode) { editorModes.push_back(mode); };
    }
    void TearDown() override { view.reset(), ReduceMotion::setOverride(std::nullopt); }

    void addPresets(std::initializer_list<const char*> names, const std::set<std::string>& selection = {"com.a"}) {
        for (const char* name : names) ASSERT_TRUE(model->createPreset(name, std::nullopt, selection));
    }
    // Shows the view with `width` points for its visible content (it keeps room around that).
    void showView(int width = 680 - 72) {
        width += PresetCardsView::cardRoom().left() + PresetCardsView::cardRoom().right();
        view->resize(width, view->heightForWidth(width));
        view->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(view.get()));
        view->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
        QCoreApplication::processEvents();
    }
    PresetCard* cardNamed(const std::string& name) {
        for (PresetCard* card : view->cards())
            if (card->preset().name == name) return card;
        return nullptr;
    }

    std::unique_ptr<PresetCardsView> view;
    std::vector<PresetEditorMode> editorModes;
};

TEST_F(PresetCardsTest, OneCardPerPresetInOrderThenTheNewPresetCardAndOnlyTheActiveMarked) {
    for (int i = 1; i <= 10; ++i) addPresets({("P" + std::to_string(i)).c_str()});
    ASSERT_EQ(view->cards().size(), 11u);
    const std::vector<QWidget*> order = static_cast<AnimatedFlowLayout*>(view->flow()->layout())->widgets();
    ASSERT_EQ(order.size(), 12u);
    EXPECT_EQ(order.back(), view->newPresetCard());
    for (std::size_t i = 0; i < 11; ++i) {
        EXPECT_EQ(order[i], view->cards()[i]);
        EXPECT_EQ(view->cards()[i]->preset().id, model->presets()[i].id);
        // The tenth and later cards have no digit.
        EXPECT_EQ(view->cards()[i]->digitText(), i < 9 ? QString::number(i + 1) : QString()) << i;
        EXPECT_EQ(view->cards()[i]->isActive(), i == 10);
        EXPECT_EQ(view->cards()[i]->showsCurrentBadge(), i == 10);
    }
    // Tab walks the cards in order and ends on the new-preset card.
    showView();
    order[0]->setFocus(Qt::TabFocusReason);
    for (std::size_t i = 1; i < order.size(); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), order[i]) << i;
    }
}

// By a click or by the accessible press action: the preset becomes active on the same cards.
TEST_F(PresetCardsTest, ACardActivatesItsPresetInPlaceAndIsOneAccessibleElement) {
    addPresets({"Work"});
    showView();
    PresetCard* home = view->cards()[0];
    PresetCard* work = view->cards()[1];
    QAccessibleInterface* homeAccess = QAccessible::queryAccessibleInterface(home);
    QAccessibleInterface* workAccess = QAccessible::queryAccessibleInterface(work);
    ASSERT_TRUE(homeAccess && workAccess && homeAccess->actionInterface());
    EXPECT_EQ(workAccess->text(QAccessible::Name), QStringLiteral("Work"));
    const std::function<void(PresetCard*)> roads[] = {
        [](PresetCard* c) { QTest::mouseClick(c, Qt::LeftButton, {}, c->restingFaceRect().center().toPoint()); },
        [](PresetCard* c) {
            QAccessible::queryAccessibleInterface(c)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        },
    };
    for (const auto& road : roads) {
        model->activate(work->preset());
        EXPECT_TRUE(workAccess->state().selected);
        EXPECT_FALSE(homeAccess->state().selected);
        road(home);
        EXPECT_EQ(model->activeID(), "default");
        EXPECT_EQ(view->cards(), (std::vector<PresetCard*>{home, work}));
        EXPECT_TRUE(home->isActive() && homeAccess->state().selected);
        EXPECT_FALSE(work->isActive() || workAccess->state().selected);
    }
}

TEST_F(PresetCardsTest, TheMenuEditsAndNoRoadOffersToDeleteTheDefaultPreset) {
    addPresets({"Work"});
    showView();
    std::unique_ptr<QMenu> homeMenu(view->cards()[0]->makeContextMenu(nullptr));
    EXPECT_EQ(actionTexts(homeMenu.get()), QStringList{Localization::tr("preset.edit")});
    // Shift+F10 opens the menu from the keyboard.
    PresetCard* work = view->cards()[1];
    work->setFocus(Qt::TabFocusReason);
    QTest::keyClick(work, Qt::Key_F10, Qt::ShiftModifier);
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(actionTexts(menu), (QStringList{Localization::tr("preset.edit"), Localization::tr("preset.delete.confirm")}));
    trigger(menu, "preset.edit");
    menu->close();
    ASSERT_EQ(editorModes.size(), 1u);
    EXPECT_EQ(editorModes[0].kind, PresetEditorMode::Kind::details);
    ASSERT_TRUE(editorModes[0].preset);
    EXPECT_EQ(editorModes[0].preset->id, work->preset().id);

    // Hovering shows the delete button on other presets only; the active one gives it its badge's corner.
    PresetCard* home = view->cards()[0];
    hover(work, true);
    EXPECT_TRUE(work->deleteButton()->isVisibleTo(work));
    EXPECT_FALSE(work->showsCurrentBadge());
    hover(work, false);
    EXPECT_FALSE(work->showsDeleteButton());
    EXPECT_TRUE(work->showsCurrentBadge());
    model->activate(model->presets()[0]);
    hover(home, true);
    EXPECT_FALSE(home->deleteButton()->isVisibleTo(home));
    EXPECT_TRUE(home->showsCurrentBadge());

    // Asking to delete the default preset by any road shows nothing.
    home->setFocus();
    QTest::keyClick(home, Qt::Key_Delete);
    view->confirmDelete(model->presets()[0]);
    EXPECT_EQ(view->deleteAlert(), nullptr);
    EXPECT_EQ(model->presets().size(), 2u);
}

// Every road to deleting asks first; only the confirming button deletes.
TEST_F(PresetCardsTest, DeletingAsksFirstAndDeletesOnlyOnConfirmation) {
    const std::pair<const char*, std::function<void(PresetCard*)>> roads[] = {
        {"menu", [](PresetCard* c) { trigger(std::unique_ptr<QMenu>(c->makeContextMenu(nullptr)).get(), "preset.delete.confirm"); }},
        {"Delete key", [](PresetCard* c) { c->setFocus(Qt::TabFocusReason), QTest::keyClick(c, Qt::Key_Delete); }},
        {"hover button", [](PresetCard* c) { hover(c, true), c->deleteButton()->click(); }},
    };
    addPresets({"Work", "Play"});
    showView();
    for (bool confirm : {false, true}) {
        for (const auto& [name, road] : roads) {
            SCOPED_TRACE(std::string(name) + (confirm ? " confirmed" : " cancelled"));
            if (!cardNamed("Work")) addPresets({"Work"});
            PresetCard* work = cardNamed("Work");
            const std::string workID = work->preset().id;
            const std::size_t before = model->presets().size();
            road(work);
            QMessageBox* alert = view->deleteAlert();
            ASSERT_NE(alert, nullptr);
            EXPECT_EQ(alert->text(), Localization::format("preset.delete.title", QStringLiteral("Work")));
            ASSERT_TRUE(view->presetToDelete());
            EXPECT_EQ(view->presetToDelete()->id, workID);
            QAbstractButton* yes = nullptr;
            for (QAbstractButton* button : alert->buttons())
                if (alert->buttonRole(button) == QMessageBox::DestructiveRole) yes = button;
            ASSERT_NE(yes, nullptr);
            if (confirm) yes->click();
            else QTest::keyClick(alert, Qt::Key_Escape);
            EXPECT_EQ(view->deleteAlert(), nullptr);
            EXPECT_FALSE(view->presetToDelete());
            EXPECT_EQ(model->presets().size(), before - confirm);
            EXPECT_EQ(cardNamed("Work") != nullptr, !confirm);
            EXPECT_NE(cardNamed("Play"), nullptr);
        }
    }
}

TEST_F(PresetCardsTest, TheApplicationCountReadsOneOrTheNumberAndFollowsTheActivePreset) {
    addPresets({"Solo"}, {"com.b"});
    addPresets({"Trio"}, {"com.a", "com.b", "com.c"});
    EXPECT_EQ(cardNamed("Solo")->appCountText(), Localization::tr("preset.apps.one"));
    EXPECT_EQ(cardNamed("Trio")->appCountText(), Localization::format("preset.apps.other", 3));
    EXPECT_EQ(PresetCard::appCountText(0), Localization::format("preset.apps.other", 0));
    // Removing an application from the active preset updates its card in place.
    PresetCard* trio = cardNamed("Trio");
    model->removeApp("com.a");
    model->removeApp("com.b");
    EXPECT_EQ(cardNamed("Trio"), trio);
    EXPECT_EQ(trio->appCountText(), Localization::tr("preset.apps.one"));
}

TEST_F(PresetCardsTest, TheNewPresetCardOpensTheEditorInCreateMode) {
    showView();
    QTest::mouseClick(view->newPresetCard(), Qt::LeftButton, {}, view->newPresetCard()->cardRect().center().toPoint());
    ASSERT_EQ(editorModes.size(), 1u);
    EXPECT_EQ(editorModes[0].kind, PresetEditorMode::Kind::create);
}

TEST_F(PresetCardsTest, ThirtyPresetsWrapWithoutOverlapping) {
    for (int i = 1; i < 30; ++i) addPresets({("Preset number " + std::to_string(i)).c_str()});
    showView();
    EXPECT_GT(expectWrapsWithin(view->flow(), view->flow()->geometry().marginsRemoved(PresetCardsView::room())), 1u);
}

TEST_F(PresetCardsTest, CardsThatChangePlaceGlideUnlessMotionIsReduced) {
    addPresets({"One", "Two", "Three"});
    showView();
    auto* flow = static_cast<AnimatedFlowLayout*>(view->flow()->layout());
    PresetCard* three = cardNamed("Three");
    const QPoint slot1 = view->cards()[1]->pos(), slot2 = view->cards()[2]->pos(), before = three->pos();

    model->deletePreset(cardNamed("One")->preset());
    flow->activate();
    EXPECT_EQ(cardNamed("Three"), three);
    EXPECT_TRUE(flow->isMoving(three));
    EXPECT_EQ(flow->destination(three), slot2);
    EXPECT_EQ(three->pos(), before);  // it sets off from where it was

    // With reduce motion, the next change puts it in its place at once, even mid-way.
    ReduceMotion::setOverride(true);
    model->deletePreset(cardNamed("Two")->preset());
    flow->activate();
    EXPECT_EQ(view->cards()[1], three);
    EXPECT_FALSE(flow->isMoving(three));
    EXPECT_EQ(three->pos(), slot1);
}

}  // namespace
