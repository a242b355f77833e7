#include "tests/app/panel/PanelFixture.h"

#include <QTimer>
#include <QWidget>

#include <csignal>

#include "app/AppDelegate.h"
#include "app/LaunchAtLogin.h"
#include "app/SettingsWindowController.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/SettingsView.h"
#include "app/platform/linux/TerminationSignals.h"
#include "core/launch/OnboardingStorage.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

struct MemoryOnboarding final : OnboardingStorage {
    bool seen = false;
    int marks = 0;
    bool hasSeenOnboarding() override { return seen; }
    void markOnboardingSeen() override { seen = true, ++marks; }
};

struct NoLoginItem final : LoginItemService {
    Status status() const override { return Status::notRegistered; }
    void registerItem() override {}
    void unregisterItem() override {}
};

class AppDelegateTest : public PanelTest {
protected:
    void SetUp() override {
        PanelTest::SetUp();
        havePresets(2);
    }
    void TearDown() override {
        delegate.reset();
        PanelTest::TearDown();
    }

    // A delegate over a fresh model, its hot key captured here, after finishing its launch.
    void launch(bool seen, bool loginItem) {
        if (!model) {
            model = build();
            model->reload();
        }
        onboarding = std::make_shared<MemoryOnboarding>();
        onboarding->seen = seen;
        struct Registered final : HotKey {};
        auto hotKeyCenter = std::make_unique<HotKeyCenter>(
            std::make_unique<FixedHotKeyStorage>(),
            [this](std::uint32_t, std::uint8_t, HotKey::Handler handler) -> std::unique_ptr<HotKey> {
                press = std::move(handler);
                return std::make_unique<Registered>();
            },
            [](const std::string&) {});
        delegate = std::make_unique<AppDelegate>(std::move(model), std::move(hotKeyCenter), onboarding, [](AppModel& m, HotKeyCenter& c) {
            return std::make_unique<SettingsWindowController>(m, c, [] { return std::make_unique<LaunchAtLogin>(std::make_unique<NoLoginItem>(), false); });
        });
        delegate->finishLaunching(loginItem);
    }
    bool settingsShown() const { return delegate->settingsController() && delegate->settingsController()->isShown(); }

    std::shared_ptr<MemoryOnboarding> onboarding;
    std::unique_ptr<AppDelegate> delegate;
    HotKey::Handler press;
};

TEST_F(AppDelegateTest, TheSettingsWindowOpensUnlessALoginItemLaunchAfterItWasSeen) {
    struct Row {
        bool seen, loginItem, shown;
    };
    for (const Row r : {Row{false, false, true}, Row{false, true, true}, Row{true, false, true}, Row{true, true, false}}) {
        SCOPED_TRACE(::testing::Message() << "seen " << r.seen << ", login item " << r.loginItem);
        launch(r.seen, r.loginItem);
        EXPECT_EQ(settingsShown(), r.shown);
        EXPECT_TRUE(onboarding->seen);
        EXPECT_EQ(onboarding->marks, r.shown ? 1 : 0);
        EXPECT_TRUE(delegate->center().isRegistered());
        delegate.reset();
    }
}

TEST_F(AppDelegateTest, TheShortcutTogglesThePanelOnALaterTurnAndReopeningShowsTheSettings) {
    launch(true, true);
    ASSERT_TRUE(press);
    EXPECT_EQ(delegate->panelController(), nullptr) << "created on the first press";
    press();
    QCoreApplication::processEvents();
    ASSERT_NE(delegate->panelController(), nullptr);
    EXPECT_TRUE(delegate->panelController()->isShown());
    FloatingPanelController* controllerBefore = delegate->panelController();
    press();
    QCoreApplication::processEvents();
    EXPECT_FALSE(delegate->panelController()->isShown());
    EXPECT_EQ(delegate->panelController(), controllerBefore) << "kept for the next press";

    // Reopening the application shows the settings window, also after it was closed.
    EXPECT_FALSE(settingsShown());
    delegate->showSettings();
    ASSERT_TRUE(settingsShown());
    delegate->settingsController()->window()->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(settingsShown());
    delegate->showSettings();
    EXPECT_TRUE(settingsShown());
}

// Quitting writes what the debounce still holds, and the termination signals end the event loop
// through that quit path. The manual scheduler never fires on its own, so the write can only come
// from the quit path.
TEST_F(AppDelegateTest, TerminationSignalsQuitThroughTheFlushThatWritesWorkStillInsideTheDebounce) {
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        launch(true, true);
        AppModel& running = delegate->model();
        running.activate(running.activeID() == running.presets()[0].id ? 1 : 0);
        ASSERT_TRUE(scheduler->isScheduled());
        system->log.clear();

        TerminationSignals termination;
        ASSERT_TRUE(termination.isInstalled());
        QObject::connect(&termination, &TerminationSignals::received, qApp, [] { QCoreApplication::quit(); });
        bool flushed = false, gaveUp = false;
        const auto connection = QObject::connect(qApp, &QCoreApplication::aboutToQuit, delegate.get(),
                                                 [&] { flushed = delegate->prepareToQuit(); });
        QTimer guard;  // a limit for a signal that never arrives, not a measurement
        guard.setSingleShot(true);
        QObject::connect(&guard, &QTimer::timeout, qApp, [&] {
            gaveUp = true;
            QCoreApplication::quit();
        });
        guard.start(10000);
        QTimer::singleShot(0, qApp, [number] { std::raise(number); });
        EXPECT_EQ(QApplication::exec(), 0);
        QObject::disconnect(connection);

        EXPECT_FALSE(gaveUp) << "the signal never reached the event loop";
        EXPECT_TRUE(flushed);
        EXPECT_EQ(dockWrites(), 1);
        EXPECT_FALSE(scheduler->isScheduled());
        EXPECT_FALSE(delegate->prepareToQuit()) << "nothing left to write";
        delegate.reset();
    }
}

}  // namespace
