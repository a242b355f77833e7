#include "tests/app/panel/PanelFixture.h"

#include "app/panel/PresetKey.h"
#include "app/platform/linux/X11Desktop.h"

#include <QGuiApplication>
#include <functional>

using namespace kestrine;
using namespace kestrine::testing;
using namespace std::chrono_literals;

namespace {

TEST_F(PanelTest, OpeningWritesPendingWorkPreselectsTheActivePresetAndMarksOnlyItWithTheCheck) {
    havePresets(3);
    activateNow(1);
    makeController();
    controller->selection().setIndex(0);
    // An edit still inside the debounce interval when the shortcut is pressed.
    model->activate(2);
    ASSERT_TRUE(scheduler->isScheduled());

    controller->show();

    ASSERT_TRUE(controller->isShown());
    EXPECT_EQ(dockWrites(), 1);
    EXPECT_FALSE(scheduler->isScheduled());
    EXPECT_EQ(controller->selection().index(), 2);
    const auto& keys = controller->view()->keys();
    ASSERT_EQ(keys.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(keys[std::size_t(i)]->isFocusedKey(), i == 2) << i;
        EXPECT_EQ(keys[std::size_t(i)]->isActivePreset(), i == 2) << i;
    }
    // The ring follows the selection; the check stays on the active preset.
    press(Qt::Key_Left);
    EXPECT_TRUE(keys[1]->isFocusedKey());
    EXPECT_FALSE(keys[2]->isFocusedKey());
    EXPECT_TRUE(keys[2]->isActivePreset());
    EXPECT_FALSE(keys[1]->isActivePreset());
}

TEST_F(PanelTest, ArrowsMoveWithoutWrappingAndEscapeAndKeysThatChooseNothingChangeNothing) {
    havePresets(3);
    makeController();
    controller->show();
    press(Qt::Key_Left);
    EXPECT_TRUE(lastKeyConsumed);
    EXPECT_EQ(controller->selection().index(), 0);
    for (int i = 0; i < 5; ++i) press(Qt::Key_Right);
    EXPECT_TRUE(lastKeyConsumed);
    EXPECT_EQ(controller->selection().index(), 2);
    press(Qt::Key_Left);
    EXPECT_EQ(controller->selection().index(), 1);

    // A digit beyond the presets is the panel's but does nothing.
    press(Qt::Key_4, QStringLiteral("4"));
    EXPECT_TRUE(lastKeyConsumed);
    // Up and down, zero, letters and Shift-1 ("!" on a US keyboard) are not the panel's.
    press(Qt::Key_Up);
    EXPECT_FALSE(lastKeyConsumed);
    press(Qt::Key_0, QStringLiteral("0"));
    EXPECT_FALSE(lastKeyConsumed);
    press(Qt::Key_A, QStringLiteral("a"));
    EXPECT_FALSE(lastKeyConsumed);
    press(Qt::Key_Exclam, QStringLiteral("!"), Qt::ShiftModifier);
    EXPECT_FALSE(lastKeyConsumed);
    // Nor are the keys of other windows.
    QWidget other;
    QKeyEvent digit(QEvent::KeyPress, Qt::Key_2, Qt::NoModifier, QStringLiteral("2"));
    QApplication::sendEvent(&other, &digit);

    EXPECT_EQ(controller->selection().index(), 1);
    EXPECT_TRUE(controller->isShown());
    // Escape closes without applying the selection.
    press(Qt::Key_Escape);
    EXPECT_TRUE(lastKeyConsumed);
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(model->activeID(), presetID(0));
    EXPECT_TRUE(system->log.calls.empty());
}

TEST_F(PanelTest, ADigitActivatesItsPresetClosesAndWritesTheDockAtOnce) {
    havePresets(3);
    makeController();
    controller->show();
    press(Qt::Key_3, QStringLiteral("3"));
    EXPECT_TRUE(lastKeyConsumed);
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(controller->panel(), nullptr);
    EXPECT_EQ(model->activeID(), presetID(2));
    EXPECT_EQ(dockWrites(), 1);
    EXPECT_FALSE(scheduler->isScheduled());
    // P3 holds com.c; the spacer keeps its place.
    EXPECT_EQ(tileIDs(system->dockTiles()), (std::vector<std::string>{"com.c", "?"}));

    // Keypad digits, and digits some platforms send without text when Control is held, choose too.
    controller->show();
    press(Qt::Key_2, QStringLiteral("2"), Qt::KeypadModifier);
    EXPECT_EQ(model->activeID(), presetID(1));
    controller->show();
    press(Qt::Key_1, QString(), Qt::ControlModifier);
    EXPECT_EQ(model->activeID(), presetID(0));
    EXPECT_FALSE(controller->isShown());
}

TEST_F(PanelTest, ReturnSpaceKeypadEnterAndAClickApplyTheSelection) {
    havePresets(3);
    makeController();
    controller->show();
    press(Qt::Key_Right);
    press(Qt::Key_Return, QStringLiteral("\r"));
    EXPECT_TRUE(lastKeyConsumed);
    EXPECT_EQ(model->activeID(), presetID(1));
    EXPECT_FALSE(controller->isShown());

    controller->show();
    EXPECT_EQ(controller->selection().index(), 1);
    press(Qt::Key_Right);
    press(Qt::Key_Space, QStringLiteral(" "));
    EXPECT_EQ(model->activeID(), presetID(2));

    controller->show();
    press(Qt::Key_Left);
    press(Qt::Key_Left);
    press(Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier);
    EXPECT_EQ(model->activeID(), presetID(0));

    controller->show();
    PresetKey* key = controller->view()->keys()[1];
    QTest::mouseClick(key, Qt::LeftButton, Qt::NoModifier, key->restingFaceRect().center().toPoint());
    EXPECT_EQ(controller->selection().index(), 1);
    EXPECT_EQ(model->activeID(), presetID(1));
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(dockWrites(), 4);
}

TEST_F(PanelTest, LosingTheFocusClosesOnALaterTurnAndWritesPendingWork) {
    havePresets(2);
    makeController();
    controller->show();
    // A change made elsewhere while the panel is up is waiting for the debounce.
    model->activate(1);
    ASSERT_TRUE(scheduler->isScheduled());

    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(controller->panel(), &deactivate);
    EXPECT_TRUE(controller->isShown()) << "closes only after the event that took the focus";
    QCoreApplication::processEvents();
    EXPECT_FALSE(controller->isShown());
    EXPECT_EQ(dockWrites(), 1);
    EXPECT_FALSE(scheduler->isScheduled());
}

TEST_F(PanelTest, ALateFocusLossDoesNotCloseAPanelShownAgainSince) {
    havePresets(2);
    makeController();
    controller->show();
    QEvent deactivate(QEvent::WindowDeactivate);
    QApplication::sendEvent(controller->panel(), &deactivate);
    // Closed by the shortcut and opened again before the queued close runs.
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
    int shown = 0, closed = 0;
    QObject::connect(controller.get(), &FloatingPanelController::shown, [&] { ++shown; });
    QObject::connect(controller.get(), &FloatingPanelController::closed, [&] { ++closed; });

    controller->toggle();
    ASSERT_TRUE(controller->isShown());
    QPointer<KeyPanel> first = controller->panel();
    controller->toggle();
    EXPECT_FALSE(controller->isShown());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull()) << "a closed panel is released";
    controller->toggle();
    EXPECT_TRUE(controller->isShown());
    EXPECT_EQ(shown, 2);
    EXPECT_EQ(closed, 1);
    // Closing twice is harmless.
    controller->close();
    controller->close();
    EXPECT_EQ(closed, 2);
}

TEST_F(PanelTest, ThePanelSitsAtTheBottomCentreOfTheScreenUnderThePointerAndGrowsWithinSixteenPoints) {
    havePresets(3);
    // A secondary screen to the right of a primary one, with a bar at its bottom.
    area = QRect(1440, 0, 1920, 1040);
    makeController();
    controller->show();
    const QRect tray = FloatingPanelController::trayGeometry(area, 3);
    EXPECT_EQ(tray, QRect(1440 + (1920 - 420) / 2, 1040 - 16 - 141, 420, 141));
    EXPECT_EQ(controller->panel()->contentGeometry(), tray);
    const Qt::WindowFlags flags = controller->panel()->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(flags & Qt::WindowType_Mask, Qt::Tool);

    // The tray grows with the keys (six keys and five gaps inside the padding: 648 + 50 + 32) up to
    // sixteen points from the screen's sides; a screen narrower than the minimum tray wins.
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 0, 2000, 900), 6).width(), 730);
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 0, 1440, 900), 20), QRect(16, 900 - 16 - 141, 1408, 141));
    EXPECT_EQ(FloatingPanelController::trayGeometry(QRect(0, 25, 300, 600), 1), QRect(16, 25 + 600 - 16 - 141, 268, 141));
}

TEST_F(PanelTest, WithNoPresetsTheKeysDoNothingButAreConsumed) {
    // A model whose state could not be loaded publishes no presets.
    system->log.failOn("load");
    model = build();
    ASSERT_TRUE(model->isInert());
    makeController();
    controller->show();
    EXPECT_EQ(controller->view()->size(), QSize(420, 141));
    EXPECT_TRUE(controller->view()->keys().empty());
    for (auto [key, text] : {std::pair(Qt::Key_Right, ""), std::pair(Qt::Key_Return, "\r"), std::pair(Qt::Key_1, "1")}) {
        press(key, QString::fromLatin1(text));
        EXPECT_TRUE(lastKeyConsumed) << text;
    }
    EXPECT_EQ(controller->selection().index(), 0);
    EXPECT_TRUE(controller->isShown());
}

// Under a real X server, the panel takes the keyboard from the window that held it.
TEST_F(PanelTest, ThePanelTakesTheKeyboardFocusFromTheActiveWindow) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) GTEST_SKIP() << "needs an X server";
    havePresets(2);
    QWidget other;
    other.setWindowTitle(QStringLiteral("Another application"));
    other.resize(300, 200);
    other.show();
    other.activateWindow();
    X11Desktop::takeFocus(&other);
    // Waits (at most ten seconds) for the window system's answer.
    auto settle = [](const std::function<bool()>& condition) { return QTest::qWaitFor(condition, 10000); };
    ASSERT_TRUE(settle([&] { return other.isActiveWindow(); }));

    makeController();
    controller->show();
    EXPECT_TRUE(settle([&] { return controller->panel() && controller->panel()->isActiveWindow(); }));

    // Giving the focus back to the other window closes the panel.
    X11Desktop::takeFocus(&other);
    EXPECT_TRUE(settle([&] { return !controller->isShown(); }));
}

// How the row scrolls to the selection is MiniDockViewTest's.
TEST_F(PanelTest, ADigitReachesItsKeyScrolledOutOfSight) {
    havePresets(20);
    activateNow(12);
    makeController();
    controller->show();
    MiniDockView* view = controller->view();
    ASSERT_EQ(view->keys().size(), 20u);
    EXPECT_GT(view->scrollOffset(), 0);
    // "1" still reaches the first key, scrolled out of sight or not.
    press(Qt::Key_1, QStringLiteral("1"));
    EXPECT_EQ(model->activeID(), presetID(0));
    EXPECT_FALSE(controller->isShown());
}

}  // namespace
