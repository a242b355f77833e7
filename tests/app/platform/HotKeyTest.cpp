// The global shortcut: the center over stand-ins for the system and its storage, the recorder fed
// real key events, and the X11 grab against the test run's X server, pressed with xdotool.
#include <QGuiApplication>
#include <QKeyEvent>
#include <QProcess>
#include <QTest>
#include <QWidget>
#include <QWindow>

#include <xcb/xcb.h>

#include <gtest/gtest.h>

#include <map>
#include <set>

#include "app/HotKeyCenter.h"
#include "app/Localization.h"
#include "app/ShortcutRecorder.h"
#include "app/platform/linux/KeyCodeMap.h"
#include "app/platform/linux/X11Desktop.h"
#include "app/platform/linux/X11HotKey.h"
#include "tests/app/platform/PlatformTestSupport.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

using Combo = std::pair<std::uint32_t, std::uint8_t>;
Combo comboOf(const HotKeySpec& spec) { return {spec.keyCode, spec.modifiers.rawValue}; }
const HotKeySpec defaultSpec = HotKeySpec::defaultSpec();
const HotKeySpec ctrlOptK(40, HotKeySpec::Modifiers{HotKeySpec::Modifiers::control, HotKeySpec::Modifiers::option});

struct CenterTest : ::testing::Test {
    struct Key final : HotKey {
        std::function<void()> release;
        ~Key() override { release(); }
    };
    struct Storage final : HotKeyStorage {
        CenterTest& test;
        explicit Storage(CenterTest& t) : test(t) {}
        HotKeySpec load() override { return test.stored.value_or(defaultSpec); }
        void save(const HotKeySpec& spec) override { test.failSave ? throw std::runtime_error("disk full") : void(test.stored = spec); }
    };
    std::map<Combo, HotKey::Handler> live; // the system's registrations; a press calls the handler
    std::set<Combo> heldElsewhere;         // by another application
    bool refuse = false, failSave = false;
    int attempts = 0, triggers = 0;
    std::optional<HotKeySpec> stored;
    std::vector<std::string> log;
    std::unique_ptr<HotKeyCenter> center;

    void SetUp() override { make(); }
    /// A center over the stand-in hot keys, or over the real ones.
    void make(bool started = false, bool real = false) {
        center.reset();
        log.clear();
        auto grab = [this](std::uint32_t code, std::uint8_t mods, HotKey::Handler handler) -> std::unique_ptr<HotKey> {
            ++attempts;
            const Combo combo{code, mods};
            if (refuse || heldElsewhere.count(combo) || !live.emplace(combo, std::move(handler)).second) return nullptr;
            auto key = std::make_unique<Key>();
            key->release = [this, combo] { live.erase(combo); };
            return key;
        };
        center = std::make_unique<HotKeyCenter>(std::make_unique<Storage>(*this), real ? HotKeyCenter::HotKeyFactory() : grab,
                                                [this](const std::string& line) { log.push_back(line); });
        center->onTrigger = [this] { ++triggers; };
        if (started) center->start();
    }
    bool press(const HotKeySpec& spec) {
        auto it = live.find(comboOf(spec));
        return it != live.end() && (it->second(), true);
    }
};
using RecorderTest = CenterTest;

TEST_F(CenterTest, APressTriggersOnALaterTurnOfTheEventLoopAndNeverAfterTheCenterIsGone) {
    center->start();
    ASSERT_TRUE(press(defaultSpec));
    EXPECT_EQ(triggers, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 1);
    auto handler = live.begin()->second;
    center.reset();
    handler(); // a late callback from a registration that is gone must be harmless
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 1);
}

// Starting again, as every row of the update table does, must replace the center's own registration.
TEST_F(CenterTest, ARefusedStartShowsTheShortcutAndLeavesNothingRegistered) {
    refuse = true;
    center->start();
    EXPECT_FALSE(center->isRegistered());
    EXPECT_TRUE(center->errorMessage().value_or("").contains(QStringLiteral("Ctrl+Alt+D")));
}

TEST_F(CenterTest, UpdateTakesOnlyAValidFreeShortcutAndKeepsTheOldOneWorkingOtherwise) {
    using M = HotKeySpec::Modifiers;
    struct Row { const char* name; HotKeySpec to; std::optional<QString> error; bool takes, held = false, failSave = false, wayland = false; };
    const Row rows[] = {
        {"no modifier", HotKeySpec(40, M::shift), Localization::tr("hotkey.error.needsModifier"), false},
        {"a key outside the table", HotKeySpec(10, M::command), Localization::tr("hotkey.error.unsupported"), false},
        {"held elsewhere", ctrlOptK, Localization::format("hotkey.error.inUse", QString("Ctrl+Alt+K")), false, true},
        {"free", ctrlOptK, std::nullopt, true},
        {"free, the save fails: logged, still active", ctrlOptK, std::nullopt, true, false, true},
        // Not an error: the session has no global shortcuts, none is registered, the choice is kept.
        {"no global shortcuts", ctrlOptK, std::nullopt, true, false, false, true},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        stored.reset();
        make(true);
        heldElsewhere = row.held ? std::set{comboOf(row.to)} : std::set<Combo>{};
        failSave = row.failSave;
        if (row.wayland) center->setAvailability(HotKey::Availability::unavailableOnWayland);
        center->start();
        const int before = attempts;
        center->update(row.to);
        const HotKeySpec active = row.takes ? row.to : defaultSpec;
        EXPECT_EQ(center->errorMessage(), row.error);
        EXPECT_EQ(center->spec(), active);
        EXPECT_EQ(press(active), !row.wayland);
        EXPECT_EQ(live.size(), row.wayland ? 0u : 1u) << "the old registration ends with the change";
        EXPECT_EQ(stored, row.takes && !row.failSave ? std::optional(row.to) : std::nullopt);
        EXPECT_EQ(log.size(), row.failSave ? 1u : 0u);
        if (!row.to.isValid() || row.wayland) { EXPECT_EQ(attempts, before) << "no system call"; }
    }
}

TEST_F(CenterTest, SuspendingReleasesTheShortcutAndResumingOrReapplyingItRegistersAgain) {
    center->start();
    center->setSuspended(true);
    EXPECT_FALSE(press(defaultSpec));
    center->setSuspended(false);
    EXPECT_TRUE(press(defaultSpec));
    center->setSuspended(true);
    center->setErrorMessage(QString("old problem"));
    center->update(defaultSpec);
    EXPECT_FALSE(center->errorMessage());
    EXPECT_TRUE(center->isRegistered());
    EXPECT_FALSE(stored) << "the same shortcut is not saved again";
}

TEST_F(RecorderTest, KeysEndTheRecordingOnlyWithEscapeDeleteOrAValidCombination) {
    constexpr int button = 0; // the Change button instead of a key
    const Qt::KeyboardModifiers none = Qt::NoModifier, ctrl = Qt::ControlModifier;
    const QString needsModifier = Localization::tr("hotkey.error.needsModifier");
    struct Row { const char* name; HotKeySpec from; std::vector<std::pair<int, Qt::KeyboardModifiers>> keys; std::optional<QString> hint; HotKeySpec spec; bool recording; };
    const Row rows[] = {
        {"Escape cancels", ctrlOptK, {{Qt::Key_Escape, none}}, std::nullopt, ctrlOptK, false},
        {"a letter alone", defaultSpec, {{Qt::Key_K, none}}, needsModifier, defaultSpec, true},
        {"a modifier alone waits", defaultSpec, {{Qt::Key_Control, ctrl}, {Qt::Key_K, ctrl | Qt::AltModifier}}, std::nullopt, ctrlOptK, false},
        {"Shift+Delete is validated", ctrlOptK, {{Qt::Key_Backspace, Qt::ShiftModifier}}, needsModifier, ctrlOptK, true},
        {"Delete alone restores the default", ctrlOptK, {{Qt::Key_Backspace, none}}, std::nullopt, defaultSpec, false},
        {"an unsupported key", defaultSpec, {{Qt::Key_VolumeUp, ctrl}}, Localization::tr("hotkey.error.unsupported"), defaultSpec, true},
        {"the button stops, the hint goes", defaultSpec, {{Qt::Key_VolumeUp, ctrl}, {button, none}}, std::nullopt, defaultSpec, false},
    };
    QWidget target;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        stored = row.from;
        make(true);
        ShortcutRecorder recorder(*center);
        recorder.start();
        EXPECT_FALSE(center->isRegistered()) << "recording suspends the shortcut";
        for (const auto& [key, modifiers] : row.keys) {
            QKeyEvent event(QEvent::KeyPress, key, modifiers);
            key == button ? recorder.toggle() : void(QCoreApplication::sendEvent(&target, &event));
        }
        EXPECT_EQ(recorder.isRecording(), row.recording);
        EXPECT_EQ(recorder.hint(), row.hint);
        EXPECT_EQ(center->spec(), row.spec);
        EXPECT_EQ(stored, row.spec);
        EXPECT_EQ(center->isRegistered(), !row.recording);
    }
}

// Real windows on the test's X server; setting the X input focus to none takes the keyboard from
// every window of the program, as when another application is active.
TEST_F(RecorderTest, OnlyTheKeyWindowLosingTheKeyboardEndsTheRecording) {
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
    center->start();
    ShortcutRecorder recorder(*center);
    // "Change" clicked in the inactive window, which becomes active as recording starts.
    recorder.start();
    ASSERT_TRUE(focus(&settings));
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder.isRecording()) << "gaining the keyboard must not end the recording";
    // The user goes to another application, or to another window of this one.
    for (QWidget* next : {static_cast<QWidget*>(nullptr), &other}) {
        ASSERT_TRUE(focus(&settings));
        recorder.start();
        ASSERT_TRUE(focus(next));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder.isRecording(); }, 10000));
    }
}

TEST(ShortcutRecorderMapping, QtKeysAndModifiersMapToShortcutCodes) {
    QKeyEvent d(QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
    EXPECT_EQ(ShortcutRecorder::specFor(d), HotKeySpec(2, HotKeySpec::Modifiers(15)));
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(ShortcutRecorder::specFor(keypad).validation(), HotKeySpec::Validation::unsupportedKey);
}

TEST(KeyCodeMap, EveryNamedShortcutKeyHasAnXKeyAndMapsBack) {
    for (std::uint32_t code = 0; code < 256; ++code) {
        auto keysym = linux_keys::keysymForKeyCode(code);
        EXPECT_EQ(keysym.has_value(), HotKeySpec::keyName(code).has_value()) << code;
        if (keysym) { EXPECT_EQ(linux_keys::keyCodeForKeysym(*keysym), code); }
    }
    EXPECT_EQ(linux_keys::keyCodeForKeysym('D'), 2u); // upper case names the same key
    EXPECT_EQ(linux_keys::keyCodeForKeysym('!'), 18u); // Shift+1 on the US layout
}

TEST(HotKeyAvailability, AWaylandSessionHasNoGlobalShortcut) {
    const std::pair<Environment, bool> rows[] = {
        {{{"XDG_SESSION_TYPE", "x11"}}, true}, {{{"XDG_SESSION_TYPE", "wayland"}}, false},
        {{{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", "wayland-0"}}, false}, {{{"WAYLAND_DISPLAY", ""}}, true},
    };
    for (const auto& [env, available] : rows)
        EXPECT_EQ(HotKey::availability(lookupIn(env)) == HotKey::Availability::available, available) << env.size();
}

constexpr std::uint8_t kCtrlAlt = 6;
constexpr std::uint32_t kD = 2, kJ = 38;

struct X11HotKeyTest : CenterTest {
    void SetUp() override {
        if (!qEnvironmentVariableIsSet("DISPLAY") || QProcess::execute("xdotool", {"version"}) != 0)
            GTEST_SKIP() << "needs an X display and xdotool";
        make(false, true);
    }
    static void xdotool(const QString& keys) { ASSERT_EQ(QProcess::execute("xdotool", {"key", "--clearmodifiers", keys}), 0); }
};

// The center over the real grab: a press triggers once, also with NumLock on.
TEST_F(X11HotKeyTest, TheCentersShortcutFiresOncePerPressWhateverTheLockKeys) {
    int probe = 0;
    center->start();
    ASSERT_TRUE(center->isRegistered());
    xdotool("ctrl+alt+d");
    ASSERT_TRUE(QTest::qWaitFor([&] { return triggers == 1; }, 10000));
    for (const char* keys : {"Num_Lock", "ctrl+alt+d", "Num_Lock"}) xdotool(keys);
    ASSERT_TRUE(QTest::qWaitFor([&] { return triggers == 2; }, 10000));
    // A second grab as a probe: once it has fired, every earlier press has been read.
    auto probeKey = HotKey::make(kJ, kCtrlAlt, [&] { ++probe; });
    ASSERT_TRUE(probeKey);
    xdotool("ctrl+alt+j");
    ASSERT_TRUE(QTest::qWaitFor([&] { return probe == 1; }, 10000));
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 2);
}

TEST_F(X11HotKeyTest, AGrabFailsWhileAnotherClientHoldsTheCombinationOrWithoutADisplay) {
    auto first = X11HotKey::grab(kD, kCtrlAlt, [] {});
    ASSERT_TRUE(first);
    EXPECT_FALSE(X11HotKey::grab(kD, kCtrlAlt, [] {}));
    first.reset();
    EXPECT_TRUE(X11HotKey::grab(kD, kCtrlAlt, [] {}));
    const QByteArray display = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    EXPECT_FALSE(HotKey::make(kD, kCtrlAlt, [] {}));
    qputenv("DISPLAY", display);
}

} // namespace
