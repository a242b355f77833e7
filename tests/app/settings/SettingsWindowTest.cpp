// The settings window's life: built on show, refreshed when it becomes active, and torn down on
// close after pending Dock work has been written.
#include "app/Localization.h"
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

TEST_F(SettingsWindowTest, ShowBuildsTheWindowOnceAndMarksTheSettingsVisible) {
    EXPECT_EQ(controller->window(), nullptr);
    EXPECT_FALSE(controller->isShown());
    controller->show();
    QWidget* window = controller->window();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(controller->isShown());
    EXPECT_TRUE(model->settingsVisible());
    EXPECT_EQ(window->windowTitle(), Localization::tr("app.name"));
    EXPECT_EQ(window->size(), QSize(760, 820));
    EXPECT_EQ(window->minimumSize(), QSize(680, 660));
    EXPECT_EQ(window->maximumSize(), QSize(960, 10000));
    EXPECT_FALSE(window->testAttribute(Qt::WA_DeleteOnClose));
    ASSERT_NE(controller->view(), nullptr);
    EXPECT_EQ(loginItemsMade, 1);

    // Showing again keeps the window.
    controller->show();
    EXPECT_EQ(controller->window(), window);
    EXPECT_EQ(loginItemsMade, 1);
}

TEST_F(SettingsWindowTest, ShowRereadsTheDockAndTheLoginItem) {
    controller->show();
    controller->window()->close();
    settle();
    system->setDock({appTile("com.a", 1), appTile("com.z", 9)});
    loginItems->status = LoginItemService::Status::enabled;
    controller->show();
    EXPECT_EQ(appIDs(model->dockApps()), (std::vector<std::string>{"com.a", "com.z"}));
    EXPECT_TRUE(controller->loginItem()->isEnabled());
}

TEST_F(SettingsWindowTest, ClosingWritesAPendingEditAtOnceAndLetsGoOfTheWindow) {
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
}

TEST_F(SettingsWindowTest, ReopeningBuildsANewWindowWithANewLoginItemAndRecorder) {
    controller->show();
    QPointer<QWidget> first = controller->window();
    controller->window()->close();
    settle();
    ASSERT_TRUE(first.isNull());

    controller->show();
    ASSERT_NE(controller->window(), nullptr);
    EXPECT_TRUE(controller->isShown());
    EXPECT_NE(controller->view(), nullptr);
    EXPECT_NE(controller->recorder(), nullptr);
    EXPECT_EQ(loginItemsMade, 2);
    EXPECT_TRUE(model->settingsVisible());
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

TEST_F(SettingsWindowTest, BecomingActiveAgainRereadsTheDockAndTheLoginItem) {
    controller->show();
    system->setDock({appTile("com.c", 3)});
    loginItems->status = LoginItemService::Status::requiresApproval;
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(controller->window(), &activate);
    EXPECT_EQ(appIDs(model->dockApps()), (std::vector<std::string>{"com.c"}));
    EXPECT_EQ(controller->loginItem()->status(), LoginItemService::Status::requiresApproval);
}

TEST_F(SettingsWindowTest, ControlWClosesTheWindowAndEscapeDoesNot) {
    controller->show();
    QWidget* window = controller->window();
    QAction* close = actionWithShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    ASSERT_NE(close, nullptr);
    EXPECT_EQ(close->text(), Localization::tr("menu.close"));
    QAction* quit = actionWithShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->text(), Localization::tr("menu.quit"));

    QApplication::setActiveWindow(window);
    QTest::keyClick(window, Qt::Key_Escape);
    EXPECT_EQ(controller->window(), window);
    EXPECT_TRUE(controller->isShown());

    QTest::keyClick(window, Qt::Key_W, Qt::ControlModifier);
    EXPECT_EQ(controller->window(), nullptr);
    EXPECT_FALSE(model->settingsVisible());
}

}  // namespace
