// The application shell: the model the windows share (its debounced Dock writes, edits and
// errors), the delegate that starts it, shows its windows and writes pending work on quitting,
// and the program's own icon and the icons drawn for applications.
#include "tests/app/panel/PanelFixture.h"

#include <QIcon>
#include <QTimer>

#include <csignal>

#include "app/AppDelegate.h"
#include "app/AppIcon.h"
#include "app/FlushScheduler.h"
#include "app/IconStore.h"
#include "app/LaunchAtLogin.h"
#include "app/Localization.h"
#include "app/SettingsWindowController.h"
#include "app/ShortcutRecorder.h"
#include "app/settings/SettingsView.h"
#include "app/platform/linux/TerminationSignals.h"
#include "core/launch/OnboardingStorage.h"

using namespace kestrine;
using namespace kestrine::testing;
using namespace std::chrono_literals;
using IDs = std::vector<std::string>;

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

// The Dock of com.a, com.b, a spacer and com.c; the model started over it, and the delegate made of it.
class AppModelTest : public PanelTest {
protected:
    void scan(std::vector<PresetApp> apps) {
        installed = std::move(apps);
        model->scanSession().start();
        executors.drain();
    }
    IDs activeApps() const { return appIDs(model->activePreset()->apps); }
    std::optional<QString> error() const { return model->errorMessage(); }
    void TearDown() override {
        delegate.reset();
        PanelTest::TearDown();
    }

    // A delegate over the model (a fresh one once the last delegate took it), its hot key
    // captured here, after finishing its launch.
    void launch(bool seen, bool loginItem) {
        if (!model) {
            model = build();
            model->reload();
        }
        onboarding = std::make_shared<MemoryOnboarding>();
        onboarding->seen = seen;
        struct Registered final : HotKey {};
        auto registerKey = [this](std::uint32_t, std::uint8_t, HotKey::Handler handler) -> std::unique_ptr<HotKey> {
            press = std::move(handler);
            return std::make_unique<Registered>();
        };
        auto settings = [](AppModel& m, HotKeyCenter& c) {
            return std::make_unique<SettingsWindowController>(m, c, [] { return std::make_unique<LaunchAtLogin>(std::make_unique<NoLoginItem>(), false); });
        };
        delegate = std::make_unique<AppDelegate>(
            std::move(model), std::make_unique<HotKeyCenter>(std::make_unique<FixedHotKeyStorage>(), registerKey, [](const std::string&) {}),
            onboarding, settings);
        delegate->finishLaunching(loginItem);
    }
    bool settingsShown() const { return delegate->settingsController() && delegate->settingsController()->isShown(); }

    std::shared_ptr<MemoryOnboarding> onboarding;
    std::unique_ptr<AppDelegate> delegate;
    HotKey::Handler press;
};

using AppDelegateTest = AppModelTest;

TEST_F(AppModelTest, FirstStartPublishesTheDefaultPresetMadeOfTheDock) {
    ASSERT_EQ(model->presets().size(), 1u);
    const IDs dock{"com.a", "com.b", "com.c"};
    EXPECT_EQ(std::tuple(model->activeID(), appIDs(model->presets()[0].apps), appIDs(model->dockApps()), model->recentsHidden()),
              std::tuple("default", dock, dock, false));
    EXPECT_EQ(model->presets()[0].name, Localization::tr("preset.default.name").toStdString());
}

TEST_F(AppModelTest, ActivationsInABurstWriteTheDockOnce600msAfterTheLast) {
    havePresets(3);
    // Each activation (default, P2, P3) is published at once; the write waits.
    const std::pair<int, std::chrono::milliseconds> burst[] = {{1, 200ms}, {2, 200ms}, {0, 599ms}, {1, 599ms}};
    for (const auto& [index, wait] : burst) {
        model->activate(model->presets()[std::size_t(index)]);
        EXPECT_EQ(model->activeID(), presetID(index));
        scheduler->advance(wait);
    }
    EXPECT_EQ(dockWrites(), 0);
    scheduler->advance(1ms);
    EXPECT_EQ(std::tuple(dockWrites(), tileIDs(system->dockTiles())), std::tuple(1, IDs{"com.b", "?"}));
    scheduler->advance(5000ms);
    EXPECT_EQ(dockWrites(), 1);
}

// None of these changes anything, so none may schedule a write or touch the Dock.
TEST_F(AppModelTest, ActionsThatChangeNothingScheduleNothing) {
    const int scheduledBefore = scheduler->scheduled;
    system->log.clear();
    model->activate(model->presets()[0]);  // already active
    model->activate(-1);
    model->activate(static_cast<int>(model->presets().size()));
    model->removeApp("com.unknown");
    model->moveApp("com.unknown", 1);
    model->moveApp("com.a", -1);                            // already first
    model->moveApp("com.c", std::optional<std::string>());  // already last
    EXPECT_EQ(std::tuple(system->log.calls, scheduler->scheduled), std::tuple(IDs{}, scheduledBefore));
}

TEST_F(AppModelTest, TheSettingsWindowRefreshesTheDockAppsOnAFlushAndClosingItWritesAtOnce) {
    model->setSettingsVisible(true);
    model->removeApp("com.a");
    scheduler->advance(600ms);
    EXPECT_EQ(appIDs(model->dockApps()), (IDs{"com.b", "com.c"}));
    model->removeApp("com.b");
    EXPECT_TRUE(scheduler->isScheduled());
    model->setSettingsVisible(false);
    EXPECT_EQ(std::tuple(dockWrites(), scheduler->isScheduled(), tileIDs(system->dockTiles())), std::tuple(2, false, IDs{"com.c", "?"}));
}

TEST_F(AppModelTest, RestoreOriginalDropsPendingEditsAndPutsBackTheOriginalDockOrSaysThereIsNone) {
    model->removeApp("com.a");
    model->restoreOriginal();
    scheduler->advance(1000ms);
    EXPECT_EQ(std::tuple(dockWrites(), error()), std::tuple(0, Localization::tr("error.noBackup")));

    model->removeApp("com.b");  // the removal of com.a above stays in the preset
    model->flushPending();
    ASSERT_TRUE(system->original);
    model->setErrorMessage(std::nullopt);
    model->restoreOriginal();
    EXPECT_EQ(std::tuple(tileIDs(system->dockTiles()), appIDs(model->dockApps()), error()),
              std::tuple(IDs{"com.a", "com.b", "?", "com.c"}, IDs{"com.a", "com.b", "com.c"}, std::nullopt));
}

TEST_F(AppModelTest, DeletingSchedulesAWriteOnlyForTheActivePresetAndNeverDeletesTheDefault) {
    havePresets(3);
    activateNow(2);
    const Preset p1 = model->presets()[1], p2 = model->presets()[2];
    model->deletePreset(p1);
    EXPECT_EQ(std::tuple(scheduler->isScheduled(), model->presets().size()), std::tuple(false, 2u));
    model->deletePreset(p2);
    EXPECT_EQ(std::tuple(model->activeID(), scheduler->isScheduled()), std::tuple("default", true));
    scheduler->advance(600ms);
    // The spacer keeps its index from the start of the Dock it was in ("com.c", spacer).
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.a", "?", "com.b", "com.c"}));

    const auto before = model->presets();
    model->deletePreset(model->presets()[0]);
    EXPECT_EQ(std::tuple(model->presets(), error()), std::tuple(before, Localization::tr("error.cannotDeleteDefault")));
    model->deletePreset(p1);  // gone already
    EXPECT_EQ(std::tuple(model->presets(), error()), std::tuple(before, Localization::tr("error.presetNotFound")));
}

TEST_F(AppModelTest, MovesAndSelectionsEditTheActivePreset) {
    model->moveApp("com.a", 1);
    EXPECT_EQ(activeApps(), (IDs{"com.b", "com.a", "com.c"}));
    model->moveApp("com.c", std::optional<std::string>("com.b"));
    EXPECT_EQ(activeApps(), (IDs{"com.c", "com.b", "com.a"}));
    scan({PresetApp("org.new", "/Applications/New.app", "New")});
    model->applySelection({"com.a", "org.new"});
    EXPECT_EQ(activeApps(), (IDs{"com.a", "org.new"}));
    scheduler->advance(600ms);
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.a", "org.new", "?"}));
}

TEST_F(AppModelTest, CreatePresetOrdersDockAppsFirstAndReportsNameErrors) {
    scan({PresetApp("org.zed", "/Applications/Zed.app", "Zed")});
    ASSERT_TRUE(model->createPreset("Mix", std::string("🔥"), {"org.zed", "com.c", "com.a"}));
    EXPECT_EQ(std::tuple(activeApps(), model->activeID()), std::tuple(IDs{"com.a", "com.c", "org.zed"}, presetID(1)));
    EXPECT_FALSE(model->createPreset("  mix ", std::nullopt, {"com.a"}));
    EXPECT_EQ(error(), Localization::tr("editor.nameTaken"));
    EXPECT_FALSE(model->createPreset("   ", std::nullopt, {"com.a"}));
    EXPECT_EQ(error(), Localization::tr("error.emptyName"));
    EXPECT_TRUE(model->updatePreset(model->presets()[1], "Mix", std::string("🎧")));
    EXPECT_EQ(model->presets()[1].emoji, std::optional<std::string>("🎧"));
}

TEST_F(AppModelTest, PickerAppsListEachIdOnceSortedLikeAFileBrowser) {
    installed = {PresetApp("com.a", "/opt/A.app", "App 10"), PresetApp("org.two", "/opt/Two.app", "app 2"),
                 PresetApp("org.up", "/opt/Up.app", "App 2")};
    model->scanSession().start();
    EXPECT_TRUE(model->scanningApps());
    executors.drain();
    EXPECT_FALSE(model->scanningApps());
    const auto picker = model->pickerApps();
    ASSERT_EQ(appIDs(picker), (IDs{"org.two", "org.up", "com.a", "com.b", "com.c"}));
    // The installed copy wins over the preset's.
    EXPECT_EQ(std::tuple(picker[2].path, picker[2].name), std::tuple("/opt/A.app", "App 10"));
}

TEST_F(AppModelTest, ReleaseResourcesForgetsScanIconsAndDockApps) {
    scan({PresetApp("org.x", "", "X")});
    model->icons().icon(installed[0]);
    model->releaseResources();
    EXPECT_EQ(std::tuple(model->installedApps().empty(), model->dockApps().empty(), model->icons().count()), std::tuple(true, true, 0));
}

TEST_F(AppModelTest, AFailingFlushShowsTheErrorAndTriesAgainLater) {
    system->log.failOn("setPersistentApps");
    model->removeApp("com.a");
    scheduler->advance(600ms);
    EXPECT_EQ(error(), Localization::format("error.generic", "setPersistentApps failed"));
    system->log.clearFailures();
    model->flushPending();
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.b", "com.c", "?"}));
}

TEST_F(AppModelTest, RecentsSettingIsWrittenAndRepublished) {
    model->setRecentsHidden(true);
    EXPECT_EQ(std::tuple(model->recentsHidden(), system->dock.at("show-recents")), std::tuple(true, plist::Value(false)));
}

TEST(AppModelStart, AStateThatCannotBeLoadedLeavesTheModelInert) {
    ModelFixture f;
    f.system->log.failOn("load");
    auto model = f.build();
    EXPECT_TRUE(model->isInert());
    EXPECT_EQ(model->errorMessage(), Localization::format("error.start", Localization::format("error.generic", "load failed")));
    model->reload();
    model->activate(0);
    EXPECT_FALSE(model->createPreset("X", std::nullopt, {"a"}));
    model->removeApp("a");
    model->setRecentsHidden(true);
    model->restoreOriginal();
    EXPECT_EQ(std::tuple(model->presets().empty(), f.system->log.calls), std::tuple(true, IDs{"load"}));
}

TEST(QtFlushScheduler, ANewRequestReplacesThePendingOneAndRestartsTheWait) {
    QtFlushScheduler scheduler;
    std::vector<char> ran;
    scheduler.schedule(1h, [&] { ran.push_back('a'); });
    scheduler.schedule(0ms, [&] { ran.push_back('b'); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ran.empty(); }, 10000));
    EXPECT_EQ(std::tuple(ran, scheduler.isScheduled()), std::tuple(std::vector<char>{'b'}, false));
    scheduler.schedule(0ms, [&] { ran.push_back('c'); });
    scheduler.cancel();
    EXPECT_FALSE(scheduler.isScheduled());
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, std::vector<char>{'b'});
}



TEST_F(AppDelegateTest, TheSettingsWindowOpensUnlessALoginItemLaunchAfterItWasSeen) {
    // Seen before, a login-item launch, the window shown.
    for (const auto& [seen, loginItem, shown] : {std::tuple(false, false, true), {false, true, true}, {true, false, true}, {true, true, false}}) {
        SCOPED_TRACE(::testing::Message() << "seen " << seen << ", login item " << loginItem);
        launch(seen, loginItem);
        EXPECT_EQ(std::tuple(settingsShown(), onboarding->seen, onboarding->marks, delegate->center().isRegistered()),
                  std::tuple(shown, true, shown ? 1 : 0, true));
        delegate.reset();
    }
}

TEST_F(AppDelegateTest, TheShortcutTogglesThePanelOnALaterTurnAndReopeningShowsTheSettings) {
    launch(true, true);
    ASSERT_TRUE(press);
    EXPECT_EQ(delegate->panelController(), nullptr) << "created on the first press";
    auto toggle = [&] {
        press();
        QCoreApplication::processEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return delegate->panelController();
    };
    FloatingPanelController* controller = toggle();
    ASSERT_TRUE(controller && controller->isShown());
    QPointer<KeyPanel> first = controller->panel();
    EXPECT_EQ(toggle(), controller) << "kept for the next press";
    EXPECT_EQ(std::tuple(controller->isShown(), first.isNull()), std::tuple(false, true)) << "the closed panel is released";
    ASSERT_TRUE(toggle()->isShown());
    controller->close();
    controller->close();  // closing twice is harmless
    EXPECT_FALSE(controller->isShown());

    // Reopening the application shows the settings window, also after it was closed.
    for (int round = 0; round < 2; ++round) {
        EXPECT_FALSE(settingsShown());
        delegate->showSettings();
        ASSERT_TRUE(settingsShown());
        delegate->settingsController()->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
}

// Quitting writes what the debounce still holds, and the termination signals end the event loop
// through that quit path. The manual scheduler never fires on its own, so the write can only come
// from the quit path.
TEST_F(AppDelegateTest, TerminationSignalsQuitThroughTheFlushThatWritesWorkStillInsideTheDebounce) {
    havePresets(2);
    for (int number : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(number);
        launch(true, true);
        AppModel& running = delegate->model();
        running.activate(running.activeID() == running.presets()[0].id ? 1 : 0);
        ASSERT_TRUE(scheduler->isScheduled());
        system->log.clear();

        TerminationSignals termination;
        QObject::connect(&termination, &TerminationSignals::received, qApp, [] { QCoreApplication::quit(); });
        bool flushed = false, gaveUp = false;
        QObject::connect(qApp, &QCoreApplication::aboutToQuit, &termination, [&] { flushed = delegate->prepareToQuit(); });
        // A limit for a signal that never arrives, not a measurement; it goes with `termination`.
        QTimer::singleShot(10000, &termination, [&] {
            gaveUp = true;
            QCoreApplication::quit();
        });
        QTimer::singleShot(0, qApp, [number] { std::raise(number); });
        EXPECT_EQ(QApplication::exec(), 0);
        EXPECT_EQ(std::tuple(gaveUp, flushed, dockWrites(), scheduler->isScheduled()), std::tuple(false, true, 1, false));
        EXPECT_FALSE(delegate->prepareToQuit()) << "nothing left to write";
        delegate.reset();
    }
}

// The PNG files installed into the icon theme must be the current drawing: regenerate them
// (resources/icons/kestrine.png at 256, kestrine-64.png at 64) after changing AppIcon.
TEST(AppIcon, TheInstalledFilesAreRenderingsOfTheDrawingAtTheirSizes) {
    const std::pair<const char*, int> files[] = {{"/resources/icons/kestrine.png", 256}, {"/resources/icons/kestrine-64.png", 64}};
    for (const auto& [file, size] : files) {
        SCOPED_TRACE(file);
        const QImage stored = QImage(QString(KESTRINE_SOURCE_DIR) + file).convertToFormat(QImage::Format_ARGB32);
        const QImage drawn = AppIcon::render(size).convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(stored.size(), QSize(size, size));
        // The mean difference per channel, 0 to 255.
        double sum = 0;
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x) {
                const QRgb p = stored.pixel(x, y), q = drawn.pixel(x, y);
                sum += std::abs(qAlpha(p) - qAlpha(q)) + std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
            }
        EXPECT_LT(sum / (4.0 * size * size), 1.0);
    }
}

// With a desktop theme that has no generic application icon, the Adwaita one is drawn, and the
// process keeps its theme: every other icon it shows still comes from the desktop's.
TEST(IconStore, TheGenericIconComesFromAdwaitaWithoutChangingTheProcessTheme) {
    const QString saved = QIcon::themeName();
    QIcon::setThemeName(QStringLiteral("kestrine-test-no-such-theme"));
    const QImage image = IconStore::render(QStringLiteral("/no/such/Missing.app"), 88);
    EXPECT_EQ(std::tuple(QIcon::themeName(), image.size()), std::tuple(QStringLiteral("kestrine-test-no-such-theme"), QSize(88, 88)));
    QIcon::setThemeName(saved);
    // Not the plain tile drawn when no theme has the icon at all.
    EXPECT_NE(image.pixelColor(44, 44), QColor(0x9a, 0x94, 0x88));
    EXPECT_GT(image.pixelColor(44, 44).alpha(), 0);
}

}  // namespace
