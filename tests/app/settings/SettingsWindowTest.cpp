// The settings window's life: built on show, refreshed when it becomes active, and torn down on
// close after pending Dock work has been written.
#include "app/SettingsWindowController.h"
#include "app/settings/SettingsView.h"
#include "tests/app/settings/SettingsViewTestSupport.h"

#include <QAction>
#include <QApplication>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;
using namespace std::chrono_literals;

namespace {

class SettingsWindowTest : public ::testing::Test, public SettingsFixture {
protected:
    std::unique_ptr<SettingsWindowController> controller;
    int loginItemsMade = 0;

    void SetUp() override {
        buildModel();
        controller = std::make_unique<SettingsWindowController>(*model, *center, [this] {
            ++loginItemsMade;
            return makeLoginItem();
        });
    }

    void TearDown() override {
        controller.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        tearDownShared();
    }

    static void settle() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

    QAction* actionWithShortcut(const QKeySequence& keys) {
        for (QAction* action : controller->window()->actions())
            if (action->shortcut() == keys) return action;
        return nullptr;
    }
};

TEST_F(SettingsWindowTest, ShowBuildsTheWindowOnceAndRereadsTheDockAndTheLoginItemWhenActivated) {
    EXPECT_EQ(controller->window(), nullptr);
    controller->show();
    QWidget* window = controller->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(controller->isShown());
    EXPECT_TRUE(model->settingsVisible());
    EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
    ASSERT_NE(controller->view(), nullptr);
    controller->show();
    EXPECT_EQ(controller->window(), window);
    EXPECT_EQ(loginItemsMade, 1);

    system->setDock({appTile("com.c", 3)});
    loginItems->status = LoginItemService::Status::requiresApproval;
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(window, &activate);
    EXPECT_EQ(appIDs(model->dockApps()), (std::vector<std::string>{"com.c"}));
    EXPECT_EQ(controller->loginItem()->status(), LoginItemService::Status::requiresApproval);
}

TEST_F(SettingsWindowTest, ClosingWritesAPendingEditAtOnceAndLetsGoOfTheWindowUntilShownAgain) {
    controller->show();
    model->removeApp("com.b");
    ASSERT_EQ(dockWrites(), 0);
    ASSERT_TRUE(scheduler->isScheduled());
    QPointer<QWidget> window = controller->window();
    QPointer<LaunchAtLogin> loginItem = controller->loginItem();
    QPointer<ShortcutRecorder> windowRecorder = controller->recorder();

    window->close();
    EXPECT_EQ(dockWrites(), 1) << "written without waiting for the debounce";
    EXPECT_EQ(tileIDs(system->dockTiles()), (std::vector<std::string>{"com.a", "com.c"}));
    EXPECT_FALSE(scheduler->isScheduled());
    EXPECT_FALSE(model->settingsVisible());
    EXPECT_TRUE(model->dockApps().empty()) << "resources released";
    EXPECT_EQ(controller->window(), nullptr);
    EXPECT_FALSE(controller->isShown());

    settle();
    EXPECT_TRUE(window.isNull());
    EXPECT_TRUE(loginItem.isNull());
    EXPECT_TRUE(windowRecorder.isNull());

    // Showing again builds a new window with a new login item, reading the Dock afresh.
    system->setDock({appTile("com.a", 1), appTile("com.z", 9)});
    loginItems->status = LoginItemService::Status::enabled;
    controller->show();
    ASSERT_NE(controller->window(), nullptr);
    EXPECT_NE(controller->recorder(), nullptr);
    EXPECT_EQ(loginItemsMade, 2);
    EXPECT_TRUE(model->settingsVisible());
    EXPECT_EQ(appIDs(model->dockApps()), (std::vector<std::string>{"com.a", "com.z"}));
    EXPECT_TRUE(controller->loginItem()->isEnabled());
}

TEST_F(SettingsWindowTest, ClosingWhileRecordingCancelsTheRecordingAndTheShortcutWorksAgain) {
    controller->show();
    controller->recorder()->start();
    EXPECT_TRUE(hotKeys.live.empty()) << "the shortcut is off while recording";
    controller->window()->close();
    EXPECT_EQ(hotKeys.live.size(), 1u);
    EXPECT_TRUE(center->isRegistered());
    EXPECT_EQ(center->spec(), HotKeySpec::defaultSpec());
}

TEST_F(SettingsWindowTest, ControlWClosesTheWindowAndEscapeDoesNot) {
    controller->show();
    QWidget* window = controller->window();
    EXPECT_NE(actionWithShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q)), nullptr);

    QApplication::setActiveWindow(window);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(controller->window(), window);
    EXPECT_TRUE(controller->isShown());

    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(controller->window(), nullptr);
    EXPECT_FALSE(model->settingsVisible());
}

}  // namespace
