#include "tests/app/panel/PanelFixture.h"

#include <QTimer>
#include <QWidget>

#include <csignal>

#include "app/AppDelegate.h"
#include "app/LaunchAtLogin.h"
#include "app/SettingsWindowController.h"
#include "app/ShortcutRecorder.h"
#include "app/platform/linux/TerminationSignals.h"
#include "app/settings/SettingsView.h"
#include "core/launch/OnboardingStorage.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

struct MemoryOnboarding final : OnboardingStorage {
    bool seen = false;
    int marks = 0;
    bool hasSeenOnboarding() override { return seen; }
    void markOnboardingSeen() override {
        seen = true;
        ++marks;
    }
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

    // A delegate over the fixture's model and a centre whose hot key is captured here.
    void makeDelegate(bool seen) {
        onboarding = std::make_shared<MemoryOnboarding>();
        onboarding->seen = seen;
        auto hotKeyCenter = std::make_unique<HotKeyCenter>(
            std::make_unique<FixedHotKeyStorage>(),
            [this](std::uint32_t, std::uint8_t, HotKey::Handler handler) -> std::unique_ptr<HotKey> {
                press = std::move(handler);
                struct Registered final : HotKey {};
                return std::make_unique<Registered>();
            },
            [](const std::string&) {});
        delegate = std::make_unique<AppDelegate>(
            std::move(model), std::move(hotKeyCenter), onboarding, [](AppModel& m, HotKeyCenter& c) {
                return std::make_unique<SettingsWindowController>(m, c, [] {
                    return std::make_unique<LaunchAtLogin>(std::make_unique<NoLoginItem>(), false);
                });
            });
    }

    bool settingsShown() const {
        return delegate->settingsController() && delegate->settingsController()->isShown();
    }

    std::shared_ptr<MemoryOnboarding> onboarding;
    std::unique_ptr<AppDelegate> delegate;
    HotKey::Handler press;
};

TEST(AppDelegateArguments, OnlyTheSingleLoginItemArgumentMeansALoginItemLaunch) {
    EXPECT_TRUE(AppDelegate::isLoginItemLaunch({"--login-item"}));
    EXPECT_FALSE(AppDelegate::isLoginItemLaunch({}));
    EXPECT_FALSE(AppDelegate::isLoginItemLaunch({"--login-item", "--login-item"}));
    EXPECT_FALSE(AppDelegate::isLoginItemLaunch({"--login"}));
    EXPECT_FALSE(AppDelegate::isLoginItemLaunch({"-platform", "xcb"}));
}

TEST_F(AppDelegateTest, TheSettingsWindowOpensUnlessALoginItemLaunchAfterItWasSeen) {
    struct Case {
        bool seen, loginItem, shown;
    };
    for (const Case c : {Case{false, false, true}, Case{false, true, true}, Case{true, false, true}, Case{true, true, false}}) {
        SCOPED_TRACE(::testing::Message() << "seen " << c.seen << ", login item " << c.loginItem);
        model = build();
        model->reload();
        makeDelegate(c.seen);
        delegate->finishLaunching(c.loginItem);
        EXPECT_EQ(settingsShown(), c.shown);
        EXPECT_TRUE(onboarding->seen);
        EXPECT_EQ(onboarding->marks, c.shown ? 1 : 0);
        EXPECT_TRUE(delegate->center().isRegistered());
        delegate.reset();
    }
}

TEST_F(AppDelegateTest, TheShortcutTogglesThePanelOnALaterTurnAndReopeningShowsTheSettings) {
    makeDelegate(true);
    delegate->finishLaunching(true);
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

TEST_F(AppDelegateTest, QuittingWritesWorkStillInsideTheDebounce) {
    makeDelegate(true);
    delegate->finishLaunching(true);
    delegate->model().activate(1);
    ASSERT_TRUE(scheduler->isScheduled());
    EXPECT_TRUE(delegate->prepareToQuit());
    EXPECT_EQ(dockWrites(), 1);
    EXPECT_FALSE(scheduler->isScheduled());
    EXPECT_FALSE(delegate->prepareToQuit()) << "nothing left to write";
    EXPECT_EQ(dockWrites(), 1);
}

// The termination signals end the event loop through the normal quit path, which writes what the
// debounce still holds. The manual scheduler never fires on its own, so the write can only come
// from the quit path.
TEST_F(AppDelegateTest, TerminationSignalsQuitThroughTheFlush) {
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        model = build();
        model->reload();
        makeDelegate(true);
        delegate->finishLaunching(true);
        AppModel& running = delegate->model();
        running.activate(running.activeID() == running.presets()[0].id ? 1 : 0);
        ASSERT_TRUE(scheduler->isScheduled());
        system->log.clear();

        TerminationSignals termination;
        ASSERT_TRUE(termination.isInstalled());
        QObject::connect(&termination, &TerminationSignals::received, qApp, [] { QCoreApplication::quit(); });
        bool flushed = false;
        const auto connection = QObject::connect(qApp, &QCoreApplication::aboutToQuit, delegate.get(),
                                                 [&] { flushed = delegate->prepareToQuit(); });
        bool gaveUp = false;
        QTimer guard;
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
        delegate.reset();
    }
}

}  // namespace
