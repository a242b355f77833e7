#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
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
#include "app/platform/linux/X11Desktop.h"

using namespace kestrine;

namespace {

/// The system's hot keys as a set of held combinations; another application can hold
/// some, and a press calls the handler of the combination's registration.
struct FakeHotKeys {
    struct Key final : HotKey {
        FakeHotKeys* system;
        std::pair<std::uint32_t, std::uint8_t> combo;
        Handler handler;
        ~Key() override { system->live.erase(combo); system->handlers.erase(combo); }
    };
    std::set<std::pair<std::uint32_t, std::uint8_t>> live, heldElsewhere;
    std::map<std::pair<std::uint32_t, std::uint8_t>, HotKey::Handler> handlers;
    bool available = true;
    int attempts = 0;

    HotKeyCenter::HotKeyFactory factory() {
        return [this](std::uint32_t code, std::uint8_t mods, HotKey::Handler handler) -> std::unique_ptr<HotKey> {
            ++attempts;
            auto combo = std::make_pair(code, mods);
            if (!available || heldElsewhere.count(combo) || live.count(combo)) return nullptr;
            auto key = std::make_unique<Key>();
            key->system = this;
            key->combo = combo;
            live.insert(combo);
            handlers[combo] = handler;
            return key;
        };
    }
    bool press(HotKeySpec spec) {
        auto it = handlers.find({spec.keyCode, spec.modifiers.rawValue});
        if (it == handlers.end()) return false;
        it->second();
        return true;
    }
};

struct MemoryStorage final : HotKeyStorage {
    std::optional<HotKeySpec>* stored;
    bool failSave = false;
    explicit MemoryStorage(std::optional<HotKeySpec>* s) : stored(s) {}
    HotKeySpec load() override { return stored->value_or(HotKeySpec::defaultSpec()); }
    void save(const HotKeySpec& spec) override {
        if (failSave) throw std::runtime_error("disk full");
        *stored = spec;
    }
};

const HotKeySpec ctrlOptK(40, HotKeySpec::Modifiers{HotKeySpec::Modifiers::control, HotKeySpec::Modifiers::option});

struct CenterTest : ::testing::Test {
    FakeHotKeys keys;
    std::optional<HotKeySpec> stored;
    MemoryStorage* storage = nullptr;
    std::vector<std::string> logLines;
    std::unique_ptr<HotKeyCenter> center;
    int triggers = 0;

    void SetUp() override {
        auto s = std::make_unique<MemoryStorage>(&stored);
        storage = s.get();
        center = std::make_unique<HotKeyCenter>(std::move(s), keys.factory(),
                                                [this](const std::string& line) { logLines.push_back(line); });
        center->onTrigger = [this] { ++triggers; };
    }
};

TEST_F(CenterTest, APressTriggersOnALaterTurnOfTheEventLoop) {
    center->start();
    ASSERT_TRUE(center->isRegistered());
    ASSERT_TRUE(keys.press(HotKeySpec::defaultSpec()));
    EXPECT_EQ(triggers, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 1);
}

TEST_F(CenterTest, ARefusedStartShowsTheShortcutAndLeavesNothingRegistered) {
    keys.available = false;
    center->start();
    EXPECT_FALSE(center->isRegistered());
    ASSERT_TRUE(center->errorMessage());
    EXPECT_EQ(*center->errorMessage(), Localization::format("hotkey.error.startFailed", QString("Ctrl+Alt+D")));
}

TEST_F(CenterTest, StartingAgainReplacesTheRegistrationOfTheSameCombination) {
    center->start();
    center->start();
    EXPECT_TRUE(center->isRegistered());
    EXPECT_FALSE(center->errorMessage());
    EXPECT_TRUE(keys.press(HotKeySpec::defaultSpec()));
}

TEST_F(CenterTest, WithoutAGlobalShortcutNothingRegistersButTheChoiceIsKept) {
    center->start();
    center->setAvailability(HotKey::Availability::unavailableOnWayland);
    EXPECT_FALSE(center->isRegistered()) << "a registration made before ends";
    const int attempts = keys.attempts;
    center->start();
    center->update(ctrlOptK);
    EXPECT_EQ(keys.attempts, attempts);
    EXPECT_FALSE(center->errorMessage()) << "not an error: the session has no global shortcuts";
    EXPECT_EQ(stored, ctrlOptK);
}

TEST(HotKeyAvailability, AWaylandSessionHasNoGlobalShortcut) {
    using Env = std::map<std::string, std::string>;
    const std::pair<Env, bool> rows[] = {
        {{{"XDG_SESSION_TYPE", "x11"}}, true},
        {{{"XDG_SESSION_TYPE", "wayland"}}, false},
        {{{"XDG_SESSION_TYPE", "x11"}, {"WAYLAND_DISPLAY", "wayland-0"}}, false},
        {{{"WAYLAND_DISPLAY", ""}}, true},
    };
    for (const auto& [env, available] : rows) {
        auto lookup = [&env](const std::string& name) -> std::optional<std::string> {
            auto it = env.find(name);
            return it == env.end() ? std::nullopt : std::optional(it->second);
        };
        EXPECT_EQ(HotKey::availability(lookup) == HotKey::Availability::available, available) << env.size();
    }
}

TEST_F(CenterTest, UpdateRejectsInvalidShortcutsBeforeAnySystemCall) {
    center->start();
    int attempts = keys.attempts;
    center->update(HotKeySpec(40, HotKeySpec::Modifiers::shift));
    EXPECT_EQ(*center->errorMessage(), Localization::tr("hotkey.error.needsModifier"));
    center->update(HotKeySpec(10, HotKeySpec::Modifiers::command));
    EXPECT_EQ(*center->errorMessage(), Localization::tr("hotkey.error.unsupported"));
    EXPECT_EQ(keys.attempts, attempts);
    EXPECT_EQ(center->spec(), HotKeySpec::defaultSpec());
}

TEST_F(CenterTest, UpdateRegistersTheNewShortcutReleasesTheOldAndSaves) {
    center->start();
    center->update(ctrlOptK);
    EXPECT_EQ(center->spec(), ctrlOptK);
    EXPECT_EQ(stored, ctrlOptK);
    EXPECT_FALSE(center->errorMessage());
    EXPECT_FALSE(keys.press(HotKeySpec::defaultSpec()));
    EXPECT_TRUE(keys.press(ctrlOptK));
    EXPECT_FALSE(center->isDefault());
}

TEST_F(CenterTest, AShortcutHeldElsewhereKeepsTheOldOneWorking) {
    center->start();
    keys.heldElsewhere.insert({ctrlOptK.keyCode, ctrlOptK.modifiers.rawValue});
    center->update(ctrlOptK);
    EXPECT_EQ(center->spec(), HotKeySpec::defaultSpec());
    EXPECT_EQ(*center->errorMessage(), Localization::format("hotkey.error.inUse", QString("Ctrl+Alt+K")));
    EXPECT_TRUE(keys.press(HotKeySpec::defaultSpec()));
    EXPECT_FALSE(stored);
}

TEST_F(CenterTest, UpdatingToTheCurrentShortcutClearsTheErrorAndReregisters) {
    center->setSuspended(true);
    center->setErrorMessage(QString("old problem"));
    center->update(HotKeySpec::defaultSpec());
    EXPECT_FALSE(center->errorMessage());
    EXPECT_TRUE(center->isRegistered());
    EXPECT_FALSE(stored); // nothing saved
}

TEST_F(CenterTest, SuspendedPressesDoNothingAndResumingRegistersAgain) {
    center->start();
    center->setSuspended(true);
    EXPECT_FALSE(keys.press(HotKeySpec::defaultSpec()));
    center->setSuspended(false);
    EXPECT_TRUE(keys.press(HotKeySpec::defaultSpec()));
}

TEST_F(CenterTest, ASaveFailureIsLoggedAndTheShortcutStaysActive) {
    center->start();
    storage->failSave = true;
    center->update(ctrlOptK);
    EXPECT_EQ(center->spec(), ctrlOptK);
    EXPECT_FALSE(center->errorMessage());
    ASSERT_EQ(logLines.size(), 1u);
    EXPECT_EQ(logLines[0], "Kestrine: could not save the shortcut: disk full");
}

TEST_F(CenterTest, ATriggerAfterTheCenterIsGoneDoesNothing) {
    center->start();
    auto handler = keys.handlers.begin()->second;
    center.reset();
    handler(); // the registration is gone too, but a late callback must be harmless
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 0);
}

// The recorder, fed real key events through the application's event dispatch.
struct RecorderTest : CenterTest {
    QWidget target;
    std::unique_ptr<ShortcutRecorder> recorder;
    void SetUp() override {
        CenterTest::SetUp();
        center->start();
        recorder = std::make_unique<ShortcutRecorder>(*center);
    }
    bool press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QKeyEvent event(QEvent::KeyPress, key, modifiers);
        QCoreApplication::sendEvent(&target, &event);
        return event.isAccepted();
    }
};

TEST_F(RecorderTest, RecordingSuspendsTheShortcutAndEscapeRestoresIt) {
    recorder->start();
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_FALSE(center->isRegistered());
    press(Qt::Key_Escape);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_TRUE(center->isRegistered());
    EXPECT_EQ(center->spec(), HotKeySpec::defaultSpec());
}

TEST_F(RecorderTest, ALetterWithoutModifiersLeavesAHintAndKeepsRecording) {
    recorder->start();
    press(Qt::Key_K);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->hint(), Localization::tr("hotkey.error.needsModifier"));
}

TEST_F(RecorderTest, AValidCombinationBecomesTheShortcut) {
    recorder->start();
    press(Qt::Key_Control, Qt::ControlModifier); // a modifier alone is not a shortcut
    EXPECT_TRUE(recorder->isRecording());
    press(Qt::Key_K, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(center->spec(), ctrlOptK);
    EXPECT_EQ(stored, ctrlOptK);
}

TEST_F(RecorderTest, DeleteAloneRestoresTheDefaultButShiftDeleteIsValidated) {
    center->update(ctrlOptK);
    recorder->start();
    press(Qt::Key_Backspace, Qt::ShiftModifier);
    EXPECT_TRUE(recorder->isRecording());
    EXPECT_EQ(recorder->hint(), Localization::tr("hotkey.error.needsModifier"));
    press(Qt::Key_Backspace);
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_EQ(center->spec(), HotKeySpec::defaultSpec());
}

TEST_F(RecorderTest, AnUnsupportedKeyLeavesItsHint) {
    recorder->start();
    press(Qt::Key_VolumeUp, Qt::ControlModifier);
    EXPECT_EQ(recorder->hint(), Localization::tr("hotkey.error.unsupported"));
    recorder->toggle();
    EXPECT_FALSE(recorder->isRecording());
    EXPECT_FALSE(recorder->hint());
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
    for (QWidget* window : {&settings, &other}) {
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window));
    }
    ASSERT_TRUE(focus(nullptr));
    // "Change" clicked in the inactive window, which becomes active as recording starts.
    recorder->start();
    ASSERT_TRUE(focus(&settings));
    QCoreApplication::processEvents();
    EXPECT_TRUE(recorder->isRecording()) << "gaining the keyboard must not end the recording";
    // The user goes to another application, or to another window of this one.
    for (QWidget* next : {static_cast<QWidget*>(nullptr), &other}) {
        ASSERT_TRUE(focus(&settings));
        recorder->start();
        ASSERT_TRUE(focus(next));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !recorder->isRecording(); }, 10000));
    }
}

TEST(ShortcutRecorderMapping, QtKeysAndModifiersMapToShortcutCodes) {
    QKeyEvent d(QEvent::KeyPress, Qt::Key_D, Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier | Qt::MetaModifier);
    auto spec = ShortcutRecorder::specFor(d);
    EXPECT_EQ(spec.keyCode, 2u);
    EXPECT_EQ(spec.modifiers.rawValue, 15);
    QKeyEvent keypad(QEvent::KeyPress, Qt::Key_1, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(ShortcutRecorder::specFor(keypad).validation(), HotKeySpec::Validation::unsupportedKey);
}

} // namespace
