// The key panel: its controller (showing, keys, focus, placement) and the row of preset keys.
#include "tests/app/panel/PanelFixture.h"

#include <QEnterEvent>

#include "app/Localization.h"
#include "app/panel/PresetKey.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

TEST_F(PanelTest, OpeningWritesPendingWorkPreselectsTheActivePresetAndAClickAppliesAKey) {
    havePresets(3);
    activateNow(1);
    model->activate(2);  // an edit still inside the debounce interval when the shortcut is pressed
    ASSERT_TRUE(scheduler->isScheduled());
    showPanel();
    EXPECT_EQ(std::tuple(controller->isShown(), dockWrites(), scheduler->isScheduled(), controller->selection().index()), std::tuple(true, 1, false, 2));
    const auto& keys = controller->view()->keys();
    // The ring (focused) follows the selection; the check (active) stays on the active preset.
    auto marks = [&] {
        std::string text;
        for (PresetKey* key : keys) text += std::string(key->isFocusedKey() ? "f" : "-") + (key->isActivePreset() ? "a " : "- ");
        return text;
    };
    EXPECT_EQ(marks(), "-- -- fa ");
    press(Qt::Key_Left);
    EXPECT_EQ(marks(), "-- f- -a ");

    QTest::mouseClick(keys[0], Qt::LeftButton, Qt::NoModifier, keys[0]->restingFaceRect().center().toPoint());
    EXPECT_EQ(std::tuple(controller->selection().index(), model->activeID(), controller->isShown(), dockWrites()), std::tuple(0, presetID(0), false, 2));
}

// Three presets, the first active, the panel shown; then the row's keys. A preset chosen reaches
// the Dock as the panel closes, not after the debounce; keys sent to other windows are not the panel's.
TEST_F(PanelTest, KeysMoveTheSelectionApplyItOrChooseByDigitAndOthersAreNotThePanels) {
    using K = std::tuple<Qt::Key, const char*, Qt::KeyboardModifiers>;  // a key, its text, its modifiers
    // Each row: name, keys, consumed (by the last key), selection (while the panel is shown, else 0),
    // active, shown, toOther (the keys are sent to another window).
    using Row = std::tuple<const char*, std::vector<K>, bool, int, int, bool, bool>;
    const K right{Qt::Key_Right, "", {}};
    const Row rows[] = {
        {"left stops at the first", {{Qt::Key_Left, "", {}}}, true, 0, 0, true, false},
        {"right stops at the last", {right, right, right, right}, true, 2, 0, true, false},
        {"a digit beyond the presets", {right, {Qt::Key_4, "4", {}}}, true, 1, 0, true, false},
        {"up", {right, {Qt::Key_Up, "", {}}}, false, 1, 0, true, false},
        {"zero", {{Qt::Key_0, "0", {}}}, false, 0, 0, true, false},
        {"a letter", {{Qt::Key_A, "a", {}}}, false, 0, 0, true, false},
        {"shift-1, '!' on a US keyboard", {{Qt::Key_Exclam, "!", Qt::ShiftModifier}}, false, 0, 0, true, false},
        {"a digit to another window", {{Qt::Key_2, "2", {}}}, false, 0, 0, true, true},
        {"escape closes without applying", {right, {Qt::Key_Escape, "", {}}}, true, 0, 0, false, false},
        {"a digit", {{Qt::Key_3, "3", {}}}, true, 0, 2, false, false},
        {"a keypad digit", {{Qt::Key_2, "2", Qt::KeypadModifier}}, true, 0, 1, false, false},
        // Some platforms send digits without text while Control is held.
        {"a digit with Control", {{Qt::Key_3, "", Qt::ControlModifier}}, true, 0, 2, false, false},
        {"return", {right, {Qt::Key_Return, "\r", {}}}, true, 0, 1, false, false},
        {"space", {right, right, {Qt::Key_Space, " ", {}}}, true, 0, 2, false, false},
        {"keypad enter", {right, {Qt::Key_Enter, "\r", Qt::KeypadModifier}}, true, 0, 1, false, false},
    };
    havePresets(3);
    for (const auto& [name, keys, consumed, selection, active, shown, toOther] : rows) {
        SCOPED_TRACE(name);
        activateNow(0);
        showPanel();
        QWidget other;
        bool last = false;
        for (const auto& [key, text, mods] : keys) last = press(key, QString::fromUtf8(text), mods, toOther ? &other : nullptr);
        const int selected = controller->isShown() ? controller->selection().index() : 0;
        EXPECT_EQ(std::tuple(last, controller->isShown(), selected, model->activeID(), dockWrites(), scheduler->isScheduled()),
                  std::tuple(consumed, shown, selection, presetID(active), active == 0 ? 0 : 1, false));
    }
}

TEST_F(PanelTest, WithNoPresetsOnlyTheEmptyTextShowsAndTheKeysDoNothingButAreConsumed) {
    system->log.failOn("load");  // a model whose state could not be loaded publishes no presets
    model = build();
    ASSERT_TRUE(model->isInert());
    showPanel();
    EXPECT_EQ(std::tuple(controller->view()->keys().empty(), controller->view()->emptyText()), std::tuple(true, Localization::tr("mini.empty")));
    for (auto [key, text] : {std::pair(Qt::Key_Right, ""), std::pair(Qt::Key_Return, "\r"), std::pair(Qt::Key_1, "1")})
        EXPECT_TRUE(press(key, QString::fromLatin1(text))) << text;
    EXPECT_EQ(std::tuple(controller->selection().index(), controller->isShown()), std::tuple(0, true));
}

TEST_F(PanelTest, LosingTheFocusClosesOnALaterTurnWritingPendingWorkButNotAPanelShownAgainSince) {
    havePresets(2);
    showPanel();
    model->activate(1);  // a change made elsewhere while the panel is up, waiting for the debounce
    ASSERT_TRUE(scheduler->isScheduled());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(controller->panel(), &deactivate);
    EXPECT_TRUE(controller->isShown()) << "closes only after the event that took the focus";
    QCoreApplication::processEvents();
    EXPECT_EQ(std::tuple(controller->isShown(), dockWrites(), scheduler->isScheduled()), std::tuple(false, 1, false));

    // Closed by the shortcut and opened again before the queued close runs.
    controller->show();
    QApplication::sendEvent(controller->panel(), &deactivate);
    controller->toggle();
    controller->toggle();
    KeyPanel* fresh = controller->panel();
    QCoreApplication::processEvents();
    EXPECT_EQ(std::tuple(controller->isShown(), controller->panel()), std::tuple(true, fresh));
}

// The tray sits at the bottom centre of its screen's free area (here a secondary screen with a bar
// at its bottom) and grows with its keys up to sixteen points from the screen's sides; a screen
// narrower than the minimum tray wins.
TEST_F(PanelTest, ThePanelSitsAtTheBottomCentreOfItsScreenAndGrowsWithinSixteenPoints) {
    havePresets(3);
    area = QRect(1440, 0, 1920, 1040);
    showPanel();
    EXPECT_EQ(controller->panel()->contentGeometry(), QRect(1440 + (1920 - 420) / 2, 1040 - 16 - 141, 420, 141));
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 0, 2000, 900), 6).width(), 730);  // six keys, five gaps, padding
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 0, 1440, 900), 20), QRect(16, 900 - 16 - 141, 1408, 141));
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 25, 300, 600), 1), QRect(16, 25 + 600 - 16 - 141, 268, 141));
}

TEST_F(PanelTest, KeysShowDigitEmojiAndNameAndFollowThePresets) {
    havePresets(11);
    ASSERT_TRUE(model->createPreset("Music", std::string("🎧"), {"com.b"}));
    activateNow(1);
    showPanel();
    const MiniDockView* view = controller->view();
    ASSERT_EQ(view->keys().size(), 12u);
    // Digits on the first nine keys; the name as tooltip and accessible name, which also says which preset is active.
    for (std::size_t i = 0; i < 12; ++i) {
        const PresetKey* key = view->keys()[i];
        const QString name = QString::fromStdString(model->presets()[i].name);
        EXPECT_EQ(std::tuple(key->digit(), key->emoji(), key->toolTip(), key->accessibleName(), key->isActivePreset()),
                  std::tuple(i < 9 ? QString::number(i + 1) : QString(), QString::fromStdString(model->presets()[i].displayEmoji()), name,
                             i == 1 ? Localization::format("mini.a11y.active", name) : name, i == 1))
            << i;
    }
    EXPECT_EQ(view->hintText(), Localization::format("mini.hint", QString::fromUtf8("Ctrl+Alt+D")));
    EXPECT_TRUE(view->emptyText().isEmpty());

    // A preset made while the panel is up gets its key; activation moves the check.
    ASSERT_TRUE(model->createPreset("Late", std::nullopt, {"com.c"}));
    ASSERT_EQ(view->keys().size(), 13u);
    EXPECT_EQ(std::tuple(view->keys()[12]->preset().name, view->keys()[12]->isActivePreset(), view->keys()[1]->isActivePreset()),
              std::tuple("Late", true, false));

}

TEST_F(PanelTest, HoverMovingFromOneKeyToTheNextNeverLeavesItEmpty) {
    havePresets(3);
    showPanel();
    const MiniDockView* view = controller->view();
    PresetKey *a = view->keys()[0], *b = view->keys()[1];
    auto send = [](QWidget* to, bool enter) {
        QEnterEvent in(QPointF(10, 10), QPointF(10, 10), QPointF(10, 10));
        QEvent out(QEvent::Leave);
        QApplication::sendEvent(to, enter ? static_cast<QEvent*>(&in) : &out);
    };
    auto hover = [&] { return std::tuple(view->hoveredID().value_or("none"), a->isHovered(), b->isHovered()); };
    send(a, true);
    EXPECT_EQ(hover(), std::tuple(presetID(0), true, false));
    send(b, true);  // B's enter arrives before A's leave
    send(a, false);
    EXPECT_EQ(hover(), std::tuple(presetID(1), false, true));
    send(b, false);
    EXPECT_EQ(hover(), std::tuple(std::string("none"), false, false));
}

// A whole row never scrolls; a longer one shows the active preset's key at once and keeps the
// selected key centred until the ends.
TEST_F(PanelTest, TheSelectedKeyStartsInViewAndStaysCentredUntilTheEnds) {
    havePresets(3);
    showPanel();
    for (int index : {0, 1, 2}) {
        controller->selection().setIndex(index);
        EXPECT_EQ(controller->view()->scrollTarget(), 0) << index;
    }
    havePresets(20);
    activateNow(17);
    showPanel();
    MiniDockView* view = controller->view();
    ASSERT_EQ(view->width(), 1408);
    EXPECT_FALSE(view->isScrolling()) << "the first selection is shown without animation";
    EXPECT_EQ(view->scrollOffset(), view->centringOffset(17));
    EXPECT_GT(view->scrollOffset(), 0);
    // The face of the key at `index` in the view, once the selection has scrolled to it.
    auto face = [&](int index) {
        controller->selection().setIndex(index);
        view->finishScrolling();
        EXPECT_EQ(view->scrollOffset(), view->centringOffset(index)) << index;
        const PresetKey* key = view->keys()[std::size_t(index)];
        return key->restingFaceRect().translated(key->mapTo(view, QPointF(0, 0)));
    };
    EXPECT_NEAR(face(7).center().x(), view->width() / 2, 2);
    EXPECT_NEAR(face(12).center().x(), view->width() / 2, 2);
    // The ends clamp: the first key at the start, the last at the end.
    EXPECT_NEAR(face(0).left(), MiniDockView::trayPadding, 2);
    EXPECT_NEAR(face(19).right(), view->width() - MiniDockView::trayPadding, 2);
}

}  // namespace
