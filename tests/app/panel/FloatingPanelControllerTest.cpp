#include "tests/app/panel/PanelFixture.h"

#include "app/panel/PresetKey.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

TEST_F(PanelTest, OpeningWritesPendingWorkPreselectsTheActivePresetAndAClickAppliesAKey) {
    havePresets(3);
    activateNow(1);
    makeController();
    controller->selection().setIndex(0);
    model->activate(2);  // an edit still inside the debounce interval when the shortcut is pressed
    ASSERT_TRUE(scheduler->isScheduled());

    controller->show();
    ASSERT_TRUE(controller->isShown());
    EXPECT_EQ(dockWrites(), 1);
    EXPECT_FALSE(scheduler->isScheduled());
    EXPECT_EQ(controller->selection().index(), 2);
    const auto& keys = controller->view()->keys();
    ASSERT_EQ(keys.size(), 3u);
    // The ring follows the selection; the check stays on the active preset.
    auto expectMarks = [&](std::size_t focused) {
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(keys[i]->isFocusedKey(), i == focused) << i;
            EXPECT_EQ(keys[i]->isActivePreset(), i == 2) << i;
        }
    };
    expectMarks(2);
    press(Qt::Key_Left);
    expectMarks(1);

    PresetKey* key = keys[0];
    QTest::mouseClick(key, Qt::LeftButton, Qt::NoModifier, key->restingFaceRect().center().toPoint());
    EXPECT_EQ(controller->selection().index(), 0);
    EXPECT_EQ(model->activeID(), presetID(0));
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(dockWrites(), 2);
}

// Three presets, the first active, the panel shown; then the row's keys. A preset chosen reaches
// the Dock as the panel closes, not after the debounce.
TEST_F(PanelTest, KeysMoveTheSelectionApplyItOrChooseByDigitAndOthersAreNotThePanels) {
    struct Key {
        Qt::Key key;
        const char* text = "";
        Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    };
    struct Row {
        const char* name;
        std::vector<Key> keys;
        bool consumed;    // the last key
        int selection;    // checked while the panel is shown
        int active;
        bool shown;
    };
    const Row rows[] = {
        {"left stops at the first", {{Qt::Key_Left}}, true, 0, 0, true},
        {"right stops at the last", {{Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Right}}, true, 2, 0, true},
        {"a digit beyond the presets", {{Qt::Key_Right}, {Qt::Key_4, "4"}}, true, 1, 0, true},
        {"up", {{Qt::Key_Right}, {Qt::Key_Up}}, false, 1, 0, true},
        {"zero", {{Qt::Key_0, "0"}}, false, 0, 0, true},
        {"a letter", {{Qt::Key_A, "a"}}, false, 0, 0, true},
        {"shift-1, '!' on a US keyboard", {{Qt::Key_Exclam, "!", Qt::ShiftModifier}}, false, 0, 0, true},
        {"escape closes without applying", {{Qt::Key_Right}, {Qt::Key_Escape}}, true, 0, 0, false},
        {"a digit", {{Qt::Key_3, "3"}}, true, 0, 2, false},
        {"a keypad digit", {{Qt::Key_2, "2", Qt::KeypadModifier}}, true, 0, 1, false},
        // Some platforms send digits without text while Control is held.
        {"a digit with Control", {{Qt::Key_3, "", Qt::ControlModifier}}, true, 0, 2, false},
        {"return", {{Qt::Key_Right}, {Qt::Key_Return, "\r"}}, true, 0, 1, false},
        {"space", {{Qt::Key_Right}, {Qt::Key_Right}, {Qt::Key_Space, " "}}, true, 0, 2, false},
        {"keypad enter", {{Qt::Key_Right}, {Qt::Key_Enter, "\r", Qt::KeypadModifier}}, true, 0, 1, false},
    };
    havePresets(3);
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        activateNow(0);
        makeController();
        controller->show();
        for (const Key& k : r.keys) press(k.key, QString::fromUtf8(k.text), k.modifiers);
        EXPECT_EQ(lastKeyConsumed, r.consumed);
        EXPECT_EQ(controller->isShown(), r.shown);
        if (r.shown) {
            EXPECT_EQ(controller->selection().index(), r.selection);
        }
        EXPECT_EQ(model->activeID(), presetID(r.active));
        EXPECT_EQ(dockWrites(), r.active == 0 ? 0 : 1);
        EXPECT_FALSE(scheduler->isScheduled());
    }
    // Nor are the keys of other windows.
    activateNow(0);
    makeController();
    controller->show();
    QWidget other;
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, QStringLiteral("2"));
    QApplication::sendEvent(&other, &digit);
    EXPECT_TRUE(controller->isShown());
    EXPECT_EQ(model->activeID(), presetID(0));
}

TEST_F(PanelTest, WithNoPresetsTheKeysDoNothingButAreConsumed) {
    system->log.failOn("load");  // a model whose state could not be loaded publishes no presets
    model = build();
    ASSERT_TRUE(model->isInert());
    makeController();
    controller->show();
    EXPECT_TRUE(controller->view()->keys().empty());
    for (auto [key, text] : {std::pair(Qt::Key_Right, ""), std::pair(Qt::Key_Return, "\r"), std::pair(Qt::Key_1, "1")}) {
        press(key, QString::fromLatin1(text));
        EXPECT_TRUE(lastKeyConsumed) << text;
    }
    EXPECT_EQ(controller->selection().index(), 0);
    EXPECT_TRUE(controller->isShown());
}

TEST_F(PanelTest, LosingTheFocusClosesOnALaterTurnWritingPendingWorkButNotAPanelShownAgainSince) {
    havePresets(2);
    makeController();
    controller->show();
    model->activate(1);  // a change made elsewhere while the panel is up, waiting for the debounce
    ASSERT_TRUE(scheduler->isScheduled());
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(controller->panel(), &deactivate);
    EXPECT_TRUE(controller->isShown()) << "closes only after the event that took the focus";
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(dockWrites(), 1);
    EXPECT_FALSE(scheduler->isScheduled());

    // Closed by the shortcut and opened again before the queued close runs.
    controller->show();
    QApplication::sendEvent(controller->panel(), &deactivate);
    controller->toggle();
    controller->toggle();
    KeyPanel* fresh = controller->panel();
    QCoreApplication::processEvents();
    EXPECT_TRUE(controller->isShown());
    EXPECT_EQ(controller->panel(), fresh);
}

TEST_F(PanelTest, TheShortcutTogglesAndEveryShowingBuildsAFreshPanel) {
    havePresets(2);
    makeController();
    controller->toggle();
    ASSERT_TRUE(controller->isShown());
    QPointer<KeyPanel> first = controller->panel();
    controller->toggle();
    EXPECT_FALSE(controller->isShown());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "a closed panel is released";
    controller->toggle();
    EXPECT_TRUE(controller->isShown());
    controller->close();
    controller->close();  // closing twice is harmless
    EXPECT_FALSE(controller->isShown());
}

TEST_F(PanelTest, ThePanelSitsAtTheBottomCentreOfItsScreenAndGrowsWithinSixteenPoints) {
    havePresets(3);
    area = QRect(1440, 0, 1920, 1040);  // a secondary screen right of the primary, a bar at its bottom
    makeController();
    controller->show();
    EXPECT_EQ(controller->panel()->contentGeometry(), QRect(1440 + (1920 - 420) / 2, 1040 - 16 - 141, 420, 141));
    // The tray grows with the keys (six keys and five gaps inside the padding: 648 + 50 + 32) up to
    // sixteen points from the screen's sides; a screen narrower than the minimum tray wins.
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 0, 2000, 900), 6).width(), 730);
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 0, 1440, 900), 20), QRect(16, 900 - 16 - 141, 1408, 141));
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 25, 300, 600), 1), QRect(16, 25 + 600 - 16 - 141, 268, 141));
}

}  // namespace
