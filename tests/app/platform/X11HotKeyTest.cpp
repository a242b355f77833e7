// The X11 key grab against the real X server of the test run, pressed with xdotool.
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>

#include <gtest/gtest.h>

#include "app/HotKeyCenter.h"
#include "app/platform/linux/X11HotKey.h"
#include "core/hotkey/HotKeySpec.h"

using namespace kestrine;

namespace {

constexpr std::uint8_t kCtrlAlt = 6;
constexpr std::uint32_t kD = 2, kJ = 38;

bool haveDisplayAndXdotool() {
    if (!qEnvironmentVariableIsSet("DISPLAY")) return false;
    return QProcess::execute("xdotool", {"version"}) == 0;
}

void pressKeys(const QString& keys) {
    ASSERT_EQ(QProcess::execute("xdotool", {"key", "--clearmodifiers", keys}), 0);
}

/// Runs the event loop until `done` holds; a missing event fails after a generous bound
/// instead of hanging the suite.
template <typename Predicate>
bool runUntil(Predicate done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

class X11HotKeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!haveDisplayAndXdotool()) GTEST_SKIP() << "needs an X display and xdotool";
    }
};

TEST_F(X11HotKeyTest, AGrabbedCombinationFiresOncePerPress) {
    int presses = 0;
    auto key = HotKey::make(kD, kCtrlAlt, [&] { ++presses; });
    ASSERT_TRUE(key);
    pressKeys("ctrl+alt+d");
    ASSERT_TRUE(runUntil([&] { return presses >= 1; }));
    // A second, different grab as a probe: once it has fired, every earlier event has
    // been read, so the count of the first is final.
    int probe = 0;
    auto probeKey = HotKey::make(kJ, kCtrlAlt, [&] { ++probe; });
    ASSERT_TRUE(probeKey);
    pressKeys("ctrl+alt+j");
    ASSERT_TRUE(runUntil([&] { return probe >= 1; }));
    EXPECT_EQ(presses, 1);
}

TEST_F(X11HotKeyTest, AnotherClientCannotTakeAHeldCombinationUntilItIsReleased) {
    auto first = X11HotKey::grab(kD, kCtrlAlt, [] {});
    ASSERT_TRUE(first);
    EXPECT_FALSE(X11HotKey::grab(kD, kCtrlAlt, [] {}));
    first.reset();
    EXPECT_TRUE(X11HotKey::grab(kD, kCtrlAlt, [] {}));
}

TEST_F(X11HotKeyTest, TheCenterReportsAShortcutHeldByAnotherClientAndKeepsTheOld) {
    struct Storage final : HotKeyStorage {
        HotKeySpec load() override { return HotKeySpec::defaultSpec(); }
        void save(const HotKeySpec&) override {}
    };
    HotKeyCenter center(std::make_unique<Storage>());
    int triggers = 0;
    center.onTrigger = [&] { ++triggers; };
    center.start();
    ASSERT_TRUE(center.isRegistered());
    center.start();
    ASSERT_TRUE(center.isRegistered()) << "starting again must replace the grab, not collide with it";

    auto other = X11HotKey::grab(kJ, kCtrlAlt, [] {});
    ASSERT_TRUE(other);
    center.update(HotKeySpec(kJ, HotKeySpec::Modifiers(kCtrlAlt)));
    ASSERT_TRUE(center.errorMessage());
    EXPECT_EQ(center.spec(), HotKeySpec::defaultSpec());

    pressKeys("ctrl+alt+d");
    EXPECT_TRUE(runUntil([&] { return triggers == 1; }));

    // Suspended, a press does nothing; the probe shows the press has been read.
    center.setSuspended(true);
    int probe = 0;
    other.reset();
    auto probeKey = HotKey::make(kJ, kCtrlAlt, [&] { ++probe; });
    ASSERT_TRUE(probeKey);
    pressKeys("ctrl+alt+d");
    pressKeys("ctrl+alt+j");
    ASSERT_TRUE(runUntil([&] { return probe >= 1; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(triggers, 1);
}

TEST_F(X11HotKeyTest, LockKeysDoNotGetInTheWay) {
    int presses = 0;
    auto key = HotKey::make(kD, kCtrlAlt, [&] { ++presses; });
    ASSERT_TRUE(key);
    ASSERT_EQ(QProcess::execute("xdotool", {"key", "Num_Lock"}), 0);
    pressKeys("ctrl+alt+d");
    ASSERT_EQ(QProcess::execute("xdotool", {"key", "Num_Lock"}), 0);
    EXPECT_TRUE(runUntil([&] { return presses == 1; }));
}

TEST(X11HotKeyWithoutDisplay, RegistrationFails) {
    QByteArray saved = qgetenv("DISPLAY");
    qunsetenv("DISPLAY");
    EXPECT_FALSE(HotKey::make(kD, kCtrlAlt, [] {}));
    if (!saved.isEmpty()) qputenv("DISPLAY", saved);
}

} // namespace
