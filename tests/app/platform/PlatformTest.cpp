// The platform under the program: the global shortcut (the center over stand-ins for the system
// and its storage, the recorder fed real key events, the X11 grab against the test run's X server,
// pressed with xdotool); the dock a run manages and the model over it; and what the program asks
// of the Linux desktop session: one running instance, an autostart entry that a real launcher
// starts, and the icons of desktop entries.
#include <QIcon>
#include <QLocalServer>
#include <QLocalSocket>
#include <QSignalSpy>

#include <xcb/xcb.h>

#include <gmock/gmock.h>

#include <unistd.h>

#include <fstream>
#include <future>
#include <map>

#include "app/AppWiring.h"
#include "app/DockSelection.h"
#include "app/platform/linux/DockDetection.h"
#include "app/platform/linux/KeyCodeMap.h"
#include "app/platform/linux/SingleInstance.h"
#include "app/platform/linux/X11HotKey.h"
#include "app/platform/linux/XdgAutostartService.h"
#include "core/system/DockPreferencesError.h"
#include "tests/app/settings/SettingsViewTestSupport.h"

using namespace kestrine;
using namespace kestrine::testing;
using namespace std::chrono_literals;
using Role = SingleInstance::Role;
using Status = LoginItemService::Status;
namespace fs = std::filesystem;

using Environment = std::map<std::string, std::string>;
/// A lookup of environment variables in `env`.
auto lookupIn(const Environment& env) { return [env](const std::string& n) { return env.contains(n) ? std::optional(env.at(n)) : std::nullopt; }; }

// The global shortcut.
using Combo = std::pair<std::uint32_t, std::uint8_t>;
Combo comboOf(const HotKeySpec& spec) { return {spec.keyCode, spec.modifiers.rawValue}; }
const HotKeySpec defaultSpec = HotKeySpec::defaultSpec();
const HotKeySpec ctrlOptK(40, HotKeySpec::Modifiers{HotKeySpec::Modifiers::control, HotKeySpec::Modifiers::option});
using Error = std::optional<QString>;
const Error no;

struct CenterTest : ::testing::Test {
    struct Key final : HotKey { std::function<void()> release; ~Key() override { release(); } };
    struct Storage final : HotKeyStorage {
        CenterTest& test;
        explicit Storage(CenterTest& t) : test(t) {}
        HotKeySpec load() override { return test.stored.value_or(defaultSpec); }
        void save(const HotKeySpec& spec) override { test.failSave ? throw std::runtime_error("disk full") : void(test.stored = spec); }
    };
    std::map<Combo, HotKey::Handler> live; // the system's registrations; a press calls the handler
    std::set<Combo> heldElsewhere;         // by another application
    bool refuse = false, failSave = false;
    int triggers = 0, logged = 0;
    std::optional<HotKeySpec> stored;
    std::unique_ptr<HotKeyCenter> center;

    void SetUp() override { make(); }
    /// A center over the stand-in hot keys, or over the real ones; started, as the program does.
    void make(bool real = false) {
        center.reset();
        logged = 0;
        auto grab = [this](std::uint32_t code, std::uint8_t mods, HotKey::Handler handler) -> std::unique_ptr<HotKey> {
            const Combo combo{code, mods};
            if (refuse || heldElsewhere.count(combo) || !live.emplace(combo, std::move(handler)).second) return nullptr;
            auto key = std::make_unique<Key>();
            key->release = [this, combo] { live.erase(combo); };
            return key;
        };
        center = std::make_unique<HotKeyCenter>(std::make_unique<Storage>(*this), real ? HotKeyCenter::HotKeyFactory() : grab,
                                                [this](const std::string&) { ++logged; });
        center->onTrigger = [this] { ++triggers; };
        center->start();
    }
    bool press(const HotKeySpec& spec) { return live.contains(comboOf(spec)) && (live.at(comboOf(spec))(), true); }
};

// Suspended, the shortcut is released; resuming or choosing it again registers it again.
TEST_F(CenterTest, APressTriggersOnALaterTurnWhileRegisteredAndNeverAfterTheCenterIsGone) {
    center->setSuspended(true);
    EXPECT_FALSE(press(defaultSpec));
    center->setSuspended(false);
    ASSERT_TRUE(press(defaultSpec));
    EXPECT_EQ(triggers, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 1);
    center->setSuspended(true);
    center->setErrorMessage(QString("old problem"));
    center->update(defaultSpec);
    ASSERT_EQ(std::tuple(center->errorMessage(), center->isRegistered(), stored), std::tuple(no, true, std::nullopt))
        << "the same shortcut is not saved again";
    auto handler = live.begin()->second;
    center.reset();
    handler(); // a late callback from a registration that is gone must be harmless
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 1);
}

TEST_F(CenterTest, ARefusedStartShowsTheShortcutAndLeavesNothingRegistered) {
    refuse = true;
    center->start();
    EXPECT_EQ(std::pair(center->isRegistered(), center->errorMessage().value_or("").contains("Ctrl+Alt+D")), std::pair(false, true));
}

// Starting again, as the fixture does before every row, must replace the center's own registration.
TEST_F(CenterTest, UpdateTakesOnlyAValidFreeShortcutAndKeepsTheOldOneWorkingOtherwise) {
    using M = HotKeySpec::Modifiers;
    struct Row { const char* name; HotKeySpec to; Error error; bool takes, held = false, failSave = false, wayland = false; };
    const Row rows[] = {
        {"no modifier", HotKeySpec(40, M::shift), Localization::tr("hotkey.error.needsModifier"), false},
        {"a key outside the table", HotKeySpec(10, M::command), Localization::tr("hotkey.error.unsupported"), false},
        {"held elsewhere", ctrlOptK, Localization::format("hotkey.error.inUse", QString("Ctrl+Alt+K")), false, true},
        {"free", ctrlOptK, no, true}, {"free, the save fails: logged, still active", ctrlOptK, no, true, false, true},
        // Not an error: the session has no global shortcuts, none is registered, the choice is kept.
        {"no global shortcuts", ctrlOptK, no, true, false, false, true}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        stored.reset();
        make();
        heldElsewhere = row.held ? std::set{comboOf(row.to)} : std::set<Combo>{};
        failSave = row.failSave;
        center->setAvailability(row.wayland ? HotKey::Availability::unavailableOnWayland : HotKey::Availability::available);
        center->start();
        center->update(row.to);
        const HotKeySpec active = row.takes ? row.to : defaultSpec;
        // The old registration ends with the change; a failed save is logged.
        EXPECT_EQ(std::tuple(center->errorMessage(), center->spec(), press(active), live.size(), stored, logged),
                  std::tuple(row.error, active, !row.wayland, row.wayland ? 0u : 1u,
                             row.takes && !row.failSave ? std::optional(row.to) : std::nullopt, row.failSave ? 1 : 0));
    }
}

TEST_F(CenterTest, TheRecorderEndsOnlyWithEscapeDeleteOrAValidCombination) {
    constexpr int button = 0; // the Change button instead of a key
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    const Error needsModifier = Localization::tr("hotkey.error.needsModifier");
    struct Row { const char* name; HotKeySpec from; std::vector<std::pair<int, Qt::KeyboardModifiers>> keys; Error hint; HotKeySpec spec; bool recording; };
    const Row rows[] = {
        {"Escape cancels", ctrlOptK, {{Qt::Key_Escape, none}}, no, ctrlOptK, false},
        {"a letter alone", defaultSpec, {{Qt::Key_K, none}}, needsModifier, defaultSpec, true},
        {"a modifier alone waits", defaultSpec, {{Qt::Key_Control, ctrl}, {Qt::Key_K, ctrl | Qt::AltModifier}}, no, ctrlOptK, false},
        {"Shift+Delete is validated", ctrlOptK, {{Qt::Key_Backspace, Qt::ShiftModifier}}, needsModifier, ctrlOptK, true},
        {"Delete alone restores the default", ctrlOptK, {{Qt::Key_Backspace, none}}, no, defaultSpec, false},
        {"an unsupported key", defaultSpec, {{Qt::Key_VolumeUp, ctrl}}, Localization::tr("hotkey.error.unsupported"), defaultSpec, true},
        {"the button stops, the hint goes", defaultSpec, {{Qt::Key_VolumeUp, ctrl}, {button, none}}, no, defaultSpec, false}};
    QWidget target;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        stored = row.from;
        make();
        ShortcutRecorder recorder(*center);
        recorder.start();
        EXPECT_FALSE(center->isRegistered()) << "recording suspends the shortcut";
        for (const auto& [key, modifiers] : row.keys) {
            QKeyEvent event(QEvent::KeyPress, key, modifiers);
            key == button ? recorder.toggle() : void(QCoreApplication::sendEvent(&target, &event));
        }
        EXPECT_EQ(std::tuple(recorder.isRecording(), recorder.hint(), center->spec(), stored, center->isRegistered()),
                  std::tuple(row.recording, row.hint, row.spec, std::optional(row.spec), !row.recording));
    }
}

// Real windows on the test's X server; setting the X input focus to none takes the keyboard from
// every window of the program, as when another application is active.
TEST_F(CenterTest, TheRecorderEndsWhenOnlyTheKeyWindowLosesTheKeyboard) {
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    if (!x11) GTEST_SKIP() << "needs X11";
    auto focus = [x11](QWidget* window) {
        if (window) X11Desktop::takeFocus(window);
        else xcb_set_input_focus(x11->connection(), XCB_INPUT_FOCUS_NONE, XCB_NONE, XCB_CURRENT_TIME);
        xcb_flush(x11->connection());
        return QTest::qWaitFor([&] { return qGuiApp->focusWindow() == (window ? window->windowHandle() : nullptr); }, 10000);
    };
    QWidget settings, other;
    for (QWidget* window : {&settings, &other}) window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&settings) && QTest::qWaitForWindowExposed(&other));
    ASSERT_TRUE(focus(nullptr));
    ShortcutRecorder recorder(*center);
    // "Change" clicked in the inactive window, which becomes active as recording starts: it goes on.
    // The user goes to another application, or (started in the active window) to another of ours.
    struct Step { QWidget* to; bool start, recording; };
    for (const Step& step : {Step{&settings, true, true}, {nullptr, false, false}, {&settings, false, false}, {&other, true, false}}) {
        if (step.start) recorder.start();
        ASSERT_TRUE(focus(step.to));
        QCoreApplication::processEvents();
        EXPECT_TRUE(QTest::qWaitFor([&] { return recorder.isRecording() == step.recording; }, 10000)) << step.to;
    }
}

TEST(KeyCodeMap, QtAndXKeysMapToShortcutCodesAndBack) {
    const auto all = Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier;
    EXPECT_EQ(ShortcutRecorder::specFor(QKeyEvent(QEvent::KeyPress, Qt::Key_D, all)), HotKeySpec(2, HotKeySpec::Modifiers(15)));
    EXPECT_EQ(ShortcutRecorder::specFor(QKeyEvent(QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier)).validation(),
              HotKeySpec::Validation::unsupportedKey);
    for (std::uint32_t code = 0; code < 256; ++code) {
        auto keysym = linux_keys::keysymForKeyCode(code);
        EXPECT_EQ(keysym.has_value(), HotKeySpec::keyName(code).has_value()) << code;
        if (keysym) { EXPECT_EQ(linux_keys::keyCodeForKeysym(*keysym), code); }
    }
    // Upper case names the same key; "!" is Shift+1 on the US layout.
    EXPECT_EQ(std::pair(linux_keys::keyCodeForKeysym('D'), linux_keys::keyCodeForKeysym('!')), std::pair(std::optional(2u), std::optional(18u)));
}

TEST(HotKeyAvailability, AWaylandSessionHasNoGlobalShortcut) {
    const std::pair<Environment, bool> rows[] = {
        {{{"XDG_SESSION_TYPE", "x11"}}, true}, {{{"XDG_SESSION_TYPE", "wayland"}}, false},
        {{{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", "wayland-0"}}, false}, {{{"WAYLAND_DISPLAY", ""}}, true}};
    for (const auto& [env, available] : rows) EXPECT_EQ(HotKey::availability(lookupIn(env)) == HotKey::Availability::available, available) << env.size();
}

// The center over the real grab: a press triggers once, also with NumLock on; a second grab of
// the same combination is refused while the first lives, and none is made without a display.
TEST_F(CenterTest, TheRealX11GrabFiresOncePerPressWhateverTheLockKeysAndIsExclusive) {
    if (!qEnvironmentVariableIsSet("DISPLAY") || QProcess::execute("xdotool", {"version"}) != 0)
        GTEST_SKIP() << "needs an X display and xdotool";
    constexpr std::uint8_t ctrlAlt = 6;
    auto xdotool = [](const char* keys) { ASSERT_EQ(QProcess::execute("xdotool", {"key", "--clearmodifiers", keys}), 0); };
    int probe = 0;
    make(true);
    ASSERT_TRUE(center->isRegistered());
    EXPECT_FALSE(X11HotKey::grab(defaultSpec.keyCode, ctrlAlt, [] {})) << "held by the center";
    for (const char* keys : {"ctrl+alt+d", "Num_Lock", "ctrl+alt+d", "Num_Lock"}) xdotool(keys);
    ASSERT_TRUE(QTest::qWaitFor([&] { return triggers == 2; }, 10000));
    // A second grab as a probe: once it has fired, every earlier press has been read.
    auto probeKey = X11HotKey::grab(38, ctrlAlt, [&] { ++probe; });
    ASSERT_TRUE(probeKey);
    xdotool("ctrl+alt+j");
    ASSERT_TRUE(QTest::qWaitFor([&] { return probe == 1; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 2);
    center.reset();
    EXPECT_TRUE(X11HotKey::grab(defaultSpec.keyCode, ctrlAlt, [] {})) << "free once the center is gone";
    qunsetenv("DISPLAY"); // the last use of the display in this test's process
    EXPECT_FALSE(HotKey::make(2, ctrlAlt, [] {}));
}

// The dock a run manages: chosen on the command line or in the environment, else detected; and the
// application over it: where its files go, and what the model does when the dock is out of reach.
const auto none = std::nullopt;

using Args = std::vector<std::string>;

TEST(DockSelectionTest, TheCommandLineWinsOverTheEnvironmentAndLeavesTheOtherArguments) {
    struct Row { Args arguments; std::optional<std::string> variable; std::optional<DockChoice> dock; Args remaining; const char* error = nullptr; };
    const Row rows[] = { // variable: KESTRINE_DOCK; dock: nothing when detection decides; error: what it names
        {{"--dock", "plank:side"}, none, DockChoice::plank("side"), {}}, {{}, "plank:dock2", DockChoice::plank("dock2"), {}},
        {{"--dock=plank", "--login-item"}, none, DockChoice::plank(), {"--login-item"}}, {{}, "", none, {}},
        {{"--login-item", "--dock=file"}, "gnome", DockChoice::file(), {"--login-item"}},
        {{"--dock=file", "--dock=gnome"}, none, DockChoice::gnome(), {}}, {{"list", "--dockx"}, none, none, {"list", "--dockx"}},
        {{"--dock=kde"}, none, none, {}, "\"kde\""}, {{"--login-item", "--dock", "plank:a/b"}, none, none, {}, "\"plank:a/b\""},
        {{"--dock"}, none, none, {}, "--dock"}, {{}, "weston", none, {}, "\"weston\""}};
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments) + " " + row.variable.value_or("(unset)"));
        auto environment = [&](const std::string& name) { return name == DockSelection::variable ? row.variable : none; };
        auto read = [&] { return DockSelection::read(row.arguments, environment); };
        if (row.error) { EXPECT_THAT(read, ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr(row.error))); }
        else { EXPECT_EQ(std::pair(read().dock, read().remaining), std::pair(row.dock, row.remaining)); }
    }
}

TEST(DockDetectionTest, PlankFirstThenGnomeWithItsSchemaElseTheFile) {
    const std::pair<DockDetection::Facts, DockChoice> rows[] = {
        {{none, "", false}, DockChoice::file()}, {{none, "GNOME", true}, DockChoice::gnome()},
        {{none, "ubuntu:GNOME", true}, DockChoice::gnome()}, {{none, "gnome", true}, DockChoice::gnome()},
        {{none, "GNOME", false}, DockChoice::file()}, {{none, "KDE", true}, DockChoice::file()},
        {{none, "X-GNOME:Budgie", true}, DockChoice::file()}, {{none, "GNOME-Flashback:GNOME:", true}, DockChoice::gnome()},
        {{"dock1", "GNOME", true}, DockChoice::plank()}, {{"side", "XFCE", false}, DockChoice::plank("side")}};
    for (const auto& [facts, expected] : rows) EXPECT_EQ(DockDetection::choose(facts), expected) << facts.currentDesktop;
}

// A stand-in for /proc: one folder per process with its command name and command line.
TEST(DockDetectionTest, FindsTheUsersRunningPlankAndTheDockItWasStartedFor) {
    struct Row { std::string comm; Args argv; std::optional<std::string> dock; uid_t uid = ::getuid(); };
    const Row rows[] = {
        {"plank", {"plank"}, "dock1"}, {"plank", {"/usr/bin/plank", "-n", "side"}, "side"}, {"plank", {"plank", "--name", "w"}, "w"},
        {"plank", {"plank", "--name=work"}, "work"}, {"plank", {"plank", "-nwork"}, "work"},
        {"plank", {"plank", "--verbose", "-n"}, "dock1"}, {"plank", {"plank", "-n", "../x"}, "dock1"}, // no name; not a name of ours
        {"plank", {"plank"}, none, ::getuid() + 1},       // another user's
        {"plankton", {"plankton"}, none}, {"bash", {"bash", "-c", "plank"}, none}};
    for (const auto& row : rows) {
        TempFolder proc;
        fs::create_directories(proc / "self"); // not a process
        for (const auto& [pid, comm, argv] : {std::tuple{"1", std::string("systemd"), Args{"/sbin/init"}}, {"4242", row.comm, row.argv}}) {
            writeFileAtomically(proc / pid / "comm", comm + "\n");
            std::ofstream cmdline(proc / pid / "cmdline", std::ios::binary);
            for (const auto& argument : argv) cmdline << argument << '\0';
        }
        EXPECT_EQ(DockDetection::runningPlank(row.uid, proc.path()), row.dock) << ::testing::PrintToString(row.argv) << " " << row.uid;
        EXPECT_EQ(DockDetection::runningPlank(row.uid, proc / "missing"), none);
    }
}

// Only the state and backups move with the dock; the dock's errors say what is missing or refused.
TEST(DockWiringTest, FilesAndErrorsOfTheDock) {
    EXPECT_EQ(std::pair(AppModel::message(DockPreferencesError::unavailable("no")), AppModel::message(DockPreferencesError::writeRefused("x"))),
              std::pair(Localization::format("error.dockUnavailable", QString("no")), Localization::format("error.dockRefused", QString("x"))));
    const fs::path support = "/home/u/.local/share/Kestrine", data = support / "docks/plank-dock2";
    const AppLocations at{support, "/home/u/.config/com.apple.dock.plist", DockChoice::plank("dock2")};
    EXPECT_EQ((std::vector{at.stateFile(), at.backupsDirectory(), at.hotKeyFile(), at.onboardingFile()}),
              (std::vector{data / "state.json", data / "Backups", support / "hotkey.json", support / "onboarding.json"}));
}

// A model over a dock without a recent-applications section, as GNOME Shell and Plank: its gear
// menu has no recents switch; out of reach, it stays inert, says why and reads nothing (a first
// start would otherwise save an empty default preset).
TEST(DockWiringTest, ADockWithoutRecentsOrOutOfReachShowsSoInTheModel) {
    struct NoRecents final : FakePreferences { using FakePreferences::FakePreferences; bool supportsRecents() const override { return false; } };
    const std::string reason = "the GSettings schema org.gnome.shell is not installed (install gnome-shell-common)";
    for (const std::optional<std::string>& unavailable : {std::optional(reason), std::optional<std::string>()}) {
        ModelFixture fixture;
        auto session = std::make_unique<AppScanSession>([](std::stop_token) { return std::vector<PresetApp>{}; },
                                                        fixture.executors.background, fixture.executors.poster());
        DockPorts ports{std::make_unique<NoRecents>(fixture.system), std::make_unique<FakeRestarter>(fixture.system),
                        std::make_unique<FakeBackups>(fixture.system), std::make_unique<FakeStorage>(fixture.system)};
        AppModel model(std::move(ports), DockSetup{DockChoice::gnome(), unavailable}, std::make_unique<ManualScheduler>(), std::move(session));
        MemoryHotKeys hotKeys;
        auto center = hotKeys.makeCenter();
        const bool saysWhy = model.errorMessage().value_or("").contains(QString::fromStdString(reason));
        EXPECT_EQ(std::tuple(model.isInert(), saysWhy, model.dock(), model.supportsRecents(), MorePopover(model, *center).recentsSwitch()),
                  std::tuple(unavailable.has_value(), unavailable.has_value(), DockChoice::gnome(), false, nullptr));
        if (unavailable) { EXPECT_TRUE(fixture.system->log.calls.empty()) << ::testing::PrintToString(fixture.system->log.calls); }
    }
}

// The desktop session.
/// Waits, serving the socket meanwhile, for a start run on another thread as a second process would.
template <typename Result> Result answer(std::future<Result> start) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return start.wait_for(0s) == std::future_status::ready; }, 30000)) << "never finished";
    return start.get();
}

struct SingleInstanceTest : ::testing::Test { TempFolder root; };

// A crashed run left its socket file behind; the lock holder replaces it once it listens, and
// answers the one message that asks it to reopen.
TEST_F(SingleInstanceTest, TheLockHolderRunsAndLaterStartsAskItToReopenUntilItEnds) {
    std::ofstream(root / SingleInstance::socketName) << "left over";
    auto first = std::make_unique<SingleInstance>(root.path());
    EXPECT_EQ((std::pair{first->claim(), fs::exists(first->lockPath())}), std::pair(Role::primary, true));
    QSignalSpy reopened(first.get(), &SingleInstance::reopenRequested);
    {
        SingleInstance second(root.path());
        // Asked again while it runs, the same; nobody answers before the holder listens.
        EXPECT_EQ((std::tuple{second.claim(), second.claim(), second.listen(), second.sendReopen(100ms), second.problem().empty()}),
                  std::tuple(Role::secondary, Role::secondary, false, false, false));
        ASSERT_TRUE(first->listen() && first->isListening()) << first->problem();
        EXPECT_TRUE(answer(std::async(std::launch::async, [&] { return second.sendReopen(5s); }))) << second.problem();
        EXPECT_TRUE(QTest::qWaitFor([&] { return reopened.count() == 1; }, 10000));
    }
    // The server hangs up on anything but the one message.
    for (const QByteArray& message : {QByteArray("reopen please\n"), QByteArray(200, 'x'), QByteArray("REOPEN\n")}) {
        QLocalSocket client;
        client.connectToServer(QString::fromStdString(first->socketPath().string()));
        ASSERT_TRUE(client.waitForConnected(5000));
        client.write(message); // sent while waiting below
        EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 10000));
    }
    EXPECT_EQ(reopened.count(), 1);
    first.reset();
    EXPECT_EQ((std::pair{fs::exists(root / SingleInstance::socketName), SingleInstance(root.path()).claim()}), std::pair(false, Role::primary));
}

// The running instance while it quits: a real process holds the lock, and the socket takes the
// connection but nobody answers. Once a later start has knocked, the instance ends; that start
// must then become the running instance instead of giving up.
TEST_F(SingleInstanceTest, AStartWhileTheRunningOneQuitsTakesOverOnceItHasEnded) {
    QProcess holder;
    holder.start("flock", {QString::fromStdString((root / SingleInstance::lockName).string()), "sh", "-c", "echo held; exec cat"});
    ASSERT_TRUE(QTest::qWaitFor([&] { return holder.canReadLine(); }, 10000)) << "flock never took the lock";
    QLocalServer quitting;
    ASSERT_TRUE(quitting.listen(QString::fromStdString((root / SingleInstance::socketName).string())));
    SingleInstance later(root.path());
    EXPECT_EQ((std::pair{later.claimOrReopen(100ms), later.problem().empty()}), std::pair(SingleInstance::Start::unanswered, false))
        << "the limit holds while it runs";
    ASSERT_TRUE(QTest::qWaitFor([&] { return quitting.hasPendingConnections(); }, 10000));
    while (QLocalSocket* knock = quitting.nextPendingConnection()) delete knock;
    auto start = std::async(std::launch::async, [&] { return later.claimOrReopen(20s); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return quitting.hasPendingConnections(); }, 10000)) << "it first asks the running one";
    quitting.close();
    holder.closeWriteChannel(); // cat ends, flock releases the lock
    EXPECT_EQ((std::pair{answer(std::move(start)), later.role()}), std::pair(SingleInstance::Start::run, std::optional(Role::primary)));
}

// The lock lives in the runtime folder when it exists, else in the support folder; a missing folder
// is made, and an unusable one leaves the program unguarded.
TEST_F(SingleInstanceTest, TheLockFolderIsTheRuntimeOrSupportFolderAndAnUnusableOneLeavesTheProgramUnguarded) {
    const fs::path support = root / "support";
    const std::pair<Environment, fs::path> rows[] = {{{{"XDG_RUNTIME_DIR", root.path().string()}}, root.path()}, {{}, support},
        {{{"XDG_RUNTIME_DIR", ""}}, support}, {{{"XDG_RUNTIME_DIR", "relative/run"}}, support}, {{{"XDG_RUNTIME_DIR", (root / "missing").string()}}, support}};
    for (const auto& [env, folder] : rows) EXPECT_EQ(SingleInstance::defaultDirectory(lookupIn(env), support), folder) << ::testing::PrintToString(env);
    EXPECT_EQ(SingleInstance(root / "new" / "run").claim(), Role::primary);
    std::ofstream(root / "not-a-folder") << "";
    SingleInstance instance(root / "not-a-folder" / "run");
    EXPECT_EQ((std::pair{instance.claim(), instance.problem().empty()}), std::pair(Role::unguarded, false));
}

// The entry is written for programs in awkward folders, then started by a real desktop-entry
// launcher (GLib's, through `gio launch`): the program must get exactly its own path and
// "--login-item". A backslash, even before a sign the quoting escapes, stays a backslash.
TEST(XdgAutostart, AWrittenEntryStartsTheProgramWhereverItLives) {
    // GLib's launcher checks that the program exists before expanding "%%", so it cannot start a
    // program under such a folder at all; the format asks for the doubled sign.
    EXPECT_THAT(XdgAutostartService::entryText("/opt/100%/bin/kestrine"), ::testing::HasSubstr("Exec=/opt/100%%/bin/kestrine --login-item\n"));
    if (QProcess::execute("gio", {"version"}) != 0) GTEST_SKIP() << "needs gio";
    for (const std::string folder : {"plain", "a b", "d$x `q` \"t\" it's", "back\\$lash \\\\ ;&(x)|<y>", "line\nbreak"}) {
        SCOPED_TRACE(folder);
        TempFolder root;
        const fs::path program = root / folder / "bin/kestrine", out = root / "argv";
        writeFileAtomically(program, "#!/bin/sh\nprintf '%s\\n' \"$0\" \"$@\" > '" + out.string() + ".tmp' && mv '" +
                                         out.string() + ".tmp' '" + out.string() + "'\n");
        fs::permissions(program, fs::perms::owner_all);
        XdgAutostartService service(root / "config", program);
        service.registerItem();
        EXPECT_EQ(service.status(), Status::enabled);
        ASSERT_EQ(QProcess::execute("gio", {"launch", QString::fromStdString(service.entryPath().string())}), 0);
        ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(out); }, 10000)) << "the program never ran";
        EXPECT_EQ(readFile(out), program.string() + "\n--login-item\n");
        service.unregisterItem();
        EXPECT_EQ(service.status(), Status::notRegistered);
        service.unregisterItem(); // already gone: not an error
    }
}

TEST(XdgAutostart, AnEntryTurnedOffByTheUserOrTheDesktopCountsAsOff) {
    const std::pair<const char*, bool> rows[] = {
        {"\nExec=kestrine\n", true}, {"\r\nHidden = true\r\n", false}, {"\nHidden=false\n", true},
        {"\nX-GNOME-Autostart-enabled = false\n", false}, {"\n# Hidden=true\nNotHidden=true\n", true},
        {"\nExec=kestrine\n[Desktop Action quit]\nHidden=true\n", true}};
    for (const auto& [text, enabled] : rows) {
        TempFolder config;
        writeFileAtomically(config / "autostart/kestrine.desktop", std::string("[Desktop Entry]") + text);
        EXPECT_EQ(XdgAutostartService(config.path(), "/x/bin/kestrine").status(), enabled ? Status::enabled : Status::notRegistered) << text;
    }
}

TEST(XdgAutostart, TheConfigFolderComesFromXdgOrTheHomeAndOnlyAnInstalledProgramCountsAsAnApplication) {
    const Environment noHome{{"XDG_CONFIG_HOME", "relative/config"}};
    const fs::path home = AppPaths::homeDirectory(lookupIn(noHome)).value_or("");
    ASSERT_TRUE(home.is_absolute()) << "the user database names a home folder";
    const std::pair<Environment, fs::path> rows[] = {
        {{{"XDG_CONFIG_HOME", "/cfg"}, {"HOME", "/home/u"}}, "/cfg"}, {{{"XDG_CONFIG_HOME", "rel"}, {"HOME", "/home/u"}}, "/home/u/.config"},
        {noHome, home / ".config"}};
    for (const auto& [env, expected] : rows) EXPECT_EQ(XdgAutostartService::defaultConfigHome(lookupIn(env)), expected);
    // Only an installed program counts as an application.
    TempFolder prefix, bare;
    writeFileAtomically(prefix / "share/applications/kestrine.desktop", "[Desktop Entry]\n");
    const std::pair<fs::path, bool> installs[] = {
        {prefix / "bin/kestrine", true}, {prefix / "build/kestrine", false}, {prefix / "bin/kestrine-dev", false}, {bare / "bin/kestrine", false}};
    for (const auto& [program, installed] : installs) EXPECT_EQ(isInstalledApplication(program), installed) << program;
}

// The switch over the real entry (its logic over a stand-in is the settings window's): a file where
// the autostart folder belongs leaves it off, and the sentence names the place.
TEST(LaunchAtLogin, AnAutostartFolderThatCannotBeMadeLeavesTheSwitchOffAndSaysWhere) {
    TempFolder config;
    writeFileAtomically(config / "autostart", "not a folder");
    LaunchAtLogin login(std::make_unique<XdgAutostartService>(config.path(), "/p/bin/kestrine"), true);
    login.setEnabled(true);
    const bool saysWhere = login.errorMessage().value_or("").contains(QString::fromStdString(config.path().string()));
    EXPECT_EQ(std::pair(login.isEnabled(), saysWhere), std::pair(false, true));
}

TEST(DesktopIconTest, TheEntrysIconComesFromItsPathOrTheThemeElseTheGenericIcon) {
    TempFolder root;
    const fs::path icons = root / "icons", red = root / "images/red.png";
    for (const std::string theme : {"hicolor", "kestrine-user\nInherits=hicolor"})
        writeFileAtomically(icons / theme.substr(0, theme.find('\n')) / "index.theme",
                            "[Icon Theme]\nName=" + theme + "\nDirectories=48x48/apps\n\n[48x48/apps]\nSize=48\nType=Fixed\n");
    for (const auto& [file, colour] : {std::pair{icons / "hicolor/48x48/apps/blue-app.png", Qt::blue}, {icons / "hicolor/48x48/apps/both-app.png", Qt::blue},
                                       {icons / "kestrine-user/48x48/apps/both-app.png", Qt::green}, {red, Qt::red}}) {
        fs::create_directories(file.parent_path());
        QImage image(48, 48, QImage::Format_ARGB32);
        image.fill(colour);
        ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
    }
    QIcon::setThemeSearchPaths({QString::fromStdString(icons.string())});
    QIcon::setThemeName("kestrine-user");
    const std::pair<std::optional<std::string>, QColor> rows[] = { // the generic icon is none of the colours
        // blue-app is only in hicolor, found through the user theme's parent; "blue-app.png" is a file
        // name where a theme name belongs; both-app is taken from the user's theme before hicolor.
        {red.string(), Qt::red}, {"blue-app", Qt::blue}, {"blue-app.png", Qt::blue}, {"both-app", Qt::green},
        {"no-such-icon", QColor()}, {(root / "images/missing.png").string(), QColor()}, {std::nullopt, QColor()}};
    for (int index = 0; const auto& [icon, expected] : rows) {
        SCOPED_TRACE(icon.value_or("(no Icon)"));
        const fs::path entry = root / ("app" + std::to_string(index++) + ".desktop");
        std::ofstream(entry) << "[Desktop Entry]\nType=Application\nName=App\nExec=true\n" << (icon ? "Icon=" + *icon + "\n" : "");
        const QImage image = IconStore::render(QString::fromStdString(entry.string()), 64);
        QColor centre = image.pixelColor(32, 32);
        if (centre != QColor(Qt::red) && centre != QColor(Qt::blue) && centre != QColor(Qt::green)) centre = QColor();
        EXPECT_EQ(std::pair(image.isNull(), centre.name().toStdString()), std::pair(false, expected.name().toStdString()));
    }
}

