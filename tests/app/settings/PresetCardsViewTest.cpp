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
#include <QPushButton>
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

QAction* actionNamed(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions())
        if (action->text() == text) return action;
    return nullptr;
}

QAbstractButton* alertButton(QMessageBox* alert, const QString& text) {
    for (QAbstractButton* button : alert->buttons())
        if (button->text() == text) return button;
    return nullptr;
}

void hover(QWidget* widget, bool inside) {
    if (inside) {
        const QPointF at(widget->width() / 2.0, widget->height() / 2.0);
        QEnterEvent enter(at, at, widget->mapToGlobal(at));
        QApplication::sendEvent(widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(widget, &leave);
    }
}

class PresetCardsTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        ReduceMotion::setOverride(false);
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), appTile("com.c", 3)});
        model = build();
        ASSERT_FALSE(model->isInert());
        model->reload();
        view = std::make_unique<PresetCardsView>(*model);
        view->onEditor = [this](const PresetEditorMode& mode) { editorModes.push_back(mode); };
    }
    void TearDown() override {
        view.reset();
        ReduceMotion::setOverride(std::nullopt);
    }

    void addPreset(const std::string& name, const std::set<std::string>& selection = {"com.a"}) {
        ASSERT_TRUE(model->createPreset(name, std::nullopt, selection));
    }
    // Shows the view with `width` points for its visible content (it keeps room around that).
    void showView(int width = 680 - 72) {
        const QMargins room = PresetCardsView::cardRoom();
        width += room.left() + room.right();
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
    std::vector<std::string> cardNames() {
        std::vector<std::string> names;
        for (PresetCard* card : view->cards()) names.push_back(card->preset().name);
        return names;
    }

    std::unique_ptr<PresetCardsView> view;
    std::vector<PresetEditorMode> editorModes;
};

TEST_F(PresetCardsTest, OneCardPerPresetInOrderThenTheNewPresetCardAndOnlyTheActiveMarked) {
    for (int i = 1; i <= 10; ++i) addPreset("P" + std::to_string(i));
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
}

TEST_F(PresetCardsTest, ClickingACardActivatesItsPresetAndKeepsTheCards) {
    addPreset("Work");
    showView();
    PresetCard* home = view->cards()[0];
    PresetCard* work = view->cards()[1];
    ASSERT_EQ(model->activeID(), work->preset().id);

    QTest::mouseClick(home, Qt::LeftButton, {}, home->restingFaceRect().center().toPoint());
    EXPECT_EQ(model->activeID(), "default");
    // The same card widgets, now showing the new state.
    EXPECT_EQ(view->cards()[0], home);
    EXPECT_EQ(view->cards()[1], work);
    EXPECT_TRUE(home->isActive());
    EXPECT_FALSE(work->isActive());
}

// Return and Space on a focused key are the key buttons' own (KeyButtonsTest).
TEST_F(PresetCardsTest, TabWalksTheCardsInOrderAndEndsOnTheNewPresetCard) {
    addPreset("Work");
    addPreset("Play");
    showView();
    view->cards()[0]->setFocus(Qt::TabFocusReason);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->cards()[1]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->cards()[2]);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), view->newPresetCard());
}

TEST_F(PresetCardsTest, TheMenuEditsAndNoRoadOffersToDeleteTheDefaultPreset) {
    addPreset("Work");
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
    actionNamed(menu, Localization::tr("preset.edit"))->trigger();
    menu->close();
    ASSERT_EQ(editorModes.size(), 1u);
    EXPECT_EQ(editorModes[0].kind, PresetEditorMode::Kind::details);
    ASSERT_TRUE(editorModes[0].preset);
    EXPECT_EQ(editorModes[0].preset->id, work->preset().id);

    // Hovering shows the delete button on other presets only; the active one gives it its badge's corner.
    PresetCard* home = view->cards()[0];
    hover(work, true);
    EXPECT_TRUE(work->deleteButton()->isVisibleTo(work));
    EXPECT_TRUE(work->isActive());
    EXPECT_FALSE(work->showsCurrentBadge());
    hover(work, false);
    EXPECT_FALSE(work->showsDeleteButton());
    EXPECT_TRUE(work->showsCurrentBadge());
    model->activate(model->presets()[0]);
    hover(home, true);
    EXPECT_FALSE(home->deleteButton()->isVisibleTo(home));
    EXPECT_TRUE(home->showsCurrentBadge());

    // Asking to delete the default preset by any road shows nothing.
    view->cards()[0]->setFocus();
    QTest::keyClick(view->cards()[0], Qt::Key_Delete);
    view->confirmDelete(model->presets()[0]);
    EXPECT_EQ(view->deleteAlert(), nullptr);
    EXPECT_EQ(model->presets().size(), 2u);
}

TEST_F(PresetCardsTest, DeletingAsksFirstAndDeletesOnlyOnConfirmation) {
    addPreset("Work");
    addPreset("Play");
    showView();
    PresetCard* work = cardNamed("Work");
    const std::string workID = work->preset().id;

    std::unique_ptr<QMenu> menu(work->makeContextMenu(nullptr));
    actionNamed(menu.get(), Localization::tr("preset.delete.confirm"))->trigger();
    QMessageBox* alert = view->deleteAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(QApplication::activeModalWidget(), alert);
    EXPECT_EQ(alert->text(), Localization::format("preset.delete.title", QStringLiteral("Work")));
    ASSERT_TRUE(view->presetToDelete());
    EXPECT_EQ(view->presetToDelete()->id, workID);
    QAbstractButton* confirm = alertButton(alert, Localization::tr("preset.delete.confirm"));
    QAbstractButton* cancel = alertButton(alert, Localization::tr("common.cancel"));
    ASSERT_NE(confirm, nullptr);
    ASSERT_NE(cancel, nullptr);
    EXPECT_EQ(alert->buttonRole(confirm), QMessageBox::DestructiveRole);

    cancel->click();
    EXPECT_EQ(view->deleteAlert(), nullptr);
    EXPECT_FALSE(view->presetToDelete());
    EXPECT_EQ(model->presets().size(), 3u);
    EXPECT_EQ(cardNamed("Work"), work);
    // The Delete key on the focused card asks too; Escape cancels.
    work->setFocus(Qt::TabFocusReason);
    QTest::keyClick(work, Qt::Key_Delete);
    ASSERT_NE(view->deleteAlert(), nullptr);
    QTest::keyClick(view->deleteAlert(), Qt::Key_Escape);
    EXPECT_EQ(view->deleteAlert(), nullptr);
    EXPECT_EQ(model->presets().size(), 3u);

    // The delete button over the hovered card asks the same question; this time it is confirmed.
    hover(work, true);
    work->deleteButton()->click();
    alert = view->deleteAlert();
    ASSERT_NE(alert, nullptr);
    alertButton(alert, Localization::tr("preset.delete.confirm"))->click();
    EXPECT_EQ(view->deleteAlert(), nullptr);
    EXPECT_FALSE(view->presetToDelete());
    ASSERT_EQ(model->presets().size(), 2u);
    for (const Preset& preset : model->presets()) EXPECT_NE(preset.id, workID);
    EXPECT_EQ(cardNames(), (std::vector<std::string>{model->presets()[0].name, "Play"}));
}

TEST_F(PresetCardsTest, TheApplicationCountReadsOneOrTheNumber) {
    addPreset("Solo", {"com.b"});
    addPreset("Trio", {"com.a", "com.b", "com.c"});
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
    QTest::mouseClick(view->newPresetCard(), Qt::LeftButton, {},
                      view->newPresetCard()->cardRect().center().toPoint());
    ASSERT_EQ(editorModes.size(), 1u);
    EXPECT_EQ(editorModes[0].kind, PresetEditorMode::Kind::create);

    view->newPresetCard()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(view->newPresetCard(), Qt::Key_Return);
    EXPECT_EQ(editorModes.size(), 2u);
}

TEST_F(PresetCardsTest, ACardIsOneAccessibleElementNamedByItsPresetAndSelectedWhileActive) {
    addPreset("Work");
    PresetCard* home = view->cards()[0];
    PresetCard* work = view->cards()[1];
    QAccessibleInterface* homeAccess = QAccessible::queryAccessibleInterface(home);
    QAccessibleInterface* workAccess = QAccessible::queryAccessibleInterface(work);
    ASSERT_NE(homeAccess, nullptr);
    ASSERT_NE(workAccess, nullptr);
    EXPECT_EQ(workAccess->text(QAccessible::Name), QStringLiteral("Work"));
    EXPECT_EQ(workAccess->role(), QAccessible::Button);
    EXPECT_TRUE(workAccess->state().selected);
    EXPECT_FALSE(homeAccess->state().selected);

    ASSERT_NE(homeAccess->actionInterface(), nullptr);
    homeAccess->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(model->activeID(), "default");
    EXPECT_TRUE(homeAccess->state().selected);
    EXPECT_FALSE(workAccess->state().selected);
}

TEST_F(PresetCardsTest, ThirtyPresetsWrapWithoutOverlapping) {
    for (int i = 1; i < 30; ++i) addPreset("Preset number " + std::to_string(i));
    showView();
    // The view keeps room for shadows and rings around what it shows.
    EXPECT_EQ(view->property("room").value<QMargins>(), PresetCardsView::room());
    EXPECT_GT(expectWrapsWithin(view->flow(), view->flow()->geometry().marginsRemoved(PresetCardsView::room())), 1u);
}

TEST_F(PresetCardsTest, CardsThatChangePlaceGlideUnlessMotionIsReduced) {
    addPreset("One");
    addPreset("Two");
    addPreset("Three");
    showView();
    auto* flow = static_cast<AnimatedFlowLayout*>(view->flow()->layout());
    PresetCard* three = cardNamed("Three");
    const QPoint slot1 = view->cards()[1]->pos();
    const QPoint slot2 = view->cards()[2]->pos();
    const QPoint before = three->pos();

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
