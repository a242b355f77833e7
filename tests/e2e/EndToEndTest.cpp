// The whole program, as a user meets it: started with its own home under a real X server, driven
// with real key presses (xdotool), watched through the files it writes, the windows it shows and
// the trace lines it prints with KESTRINE_TRACE_STARTUP=1. The file dock is a Dock preferences
// file; Plank (the real plank process, started again by Kestrine when a switch changes its order)
// runs in a private session bus with dconf behind GSettings. GNOME Shell's favourites go through
// the same GSettings store the store tests run against the real schema.
#include <QImage>

#include <gtest/gtest.h>

#include <iterator>

#include "app/platform/linux/plank/PlankRestarter.h"
#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using nlohmann::json;

namespace {

// The current preset's card in a picture of the settings window is ringed in the accent colour:
// the ring's top edge is the first run of a hundred accent pixels or more.
std::optional<QRect> currentCardRing(const QImage& image) {
    auto near = [](QRgb p, QRgb c) {
        return std::abs(qRed(p) - qRed(c)) < 28 && std::abs(qGreen(p) - qGreen(c)) < 28 && std::abs(qBlue(p) - qBlue(c)) < 28;
    };
    auto accent = [&](int x, int y) { return near(image.pixel(x, y), 0x3B35A8) || near(image.pixel(x, y), 0x8F8BF2); };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0, run = 0; x < image.width(); ++x) {
            run = accent(x, y) ? run + 1 : 0;
            if (run < 100) continue;
            int end = x;
            while (end + 1 < image.width() && accent(end + 1, y)) ++end;
            return QRect(QPoint(x - run + 1, y), QPoint(end, y));
        }
    return std::nullopt;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY") || !xdotool || !fs::exists("/usr/bin/killall"))
            GTEST_SKIP() << "needs an X display (run under xvfb-run), xdotool and killall";
        const plist::Dictionary spacer{{"GUID", plist::Value(13)}, {"tile-type", plist::Value("spacer-tile")}, {"tile-data", plist::Value(plist::Dictionary{})}};
        box.writeDock({appTile("com.example.alpha", 11, "/Applications/alpha.app"), appTile("com.example.beta", 12, "/Applications/beta.app"),
                       spacer, appTile("com.example.gamma", 14, "/Applications/gamma.app")});
    }
    void TearDown() override {
        app.reset();
        plank.reset();
        // A Plank that Kestrine started again is nobody's child here.
        if (bus)
            for (const auto& started : PlankRestarter::running("dock1", busAddress())) ::kill(started.pid, SIGTERM);
        bus.reset();
    }

    fs::path log() const { return box.root / "kestrine.err"; }
    std::string busAddress() const { return "unix:path=" + (box.root / "bus").string(); }
    fs::path desktopFile(const std::string& name) const { return box.dataHome() / "applications" / (name + ".desktop"); }

    void startApp(const Names& arguments) {
        app = std::make_unique<Process>(KESTRINE_EXECUTABLE, arguments, box.environment(overrides), std::nullopt, log());
    }
    bool waitForTrace(const std::string& marker, int count = 1) { return waitUntil([&] { return countTraces(log(), marker) >= count; }); }
    CommandResult run(const fs::path& program, const Names& arguments) { return runCommand(program, arguments, box.environment(overrides), box.root); }
    CommandResult xdo(const Names& arguments) { return run(*xdotool, arguments); }

    // Ctrl-Alt-D opens the key panel; the digit picks a preset, which is written as the panel closes.
    void pressPreset(int digit, int panelsShown) {
        ASSERT_EQ(xdo({"key", "ctrl+alt+d"}).code, 0);
        ASSERT_TRUE(waitForTrace("panel-shown", panelsShown)) << readText(log());
        ASSERT_EQ(xdo({"key", std::to_string(digit)}).code, 0);
    }
    // The ids of the program's visible windows, all titled "Kestrine".
    Names windows() {
        std::stringstream ids(xdo({"search", "--onlyvisible", "--name", "^Kestrine$"}).output);
        return {std::istream_iterator<std::string>(ids), std::istream_iterator<std::string>()};
    }

    // The default preset of alpha, beta and gamma and Work of gamma and alpha: bundles in the file
    // dock's folder, or the sandbox's desktop entries in `folder`.
    void writePresets(const std::optional<fs::path>& folder = std::nullopt) {
        auto entry = [&](const std::string& name) {
            return folder ? json{{"id", name + ".desktop"}, {"name", name}, {"path", desktopFile(name).string()}} : bundleApp(name);
        };
        box.writeTwoPresets(folder.value_or(box.support()), json::array({entry("alpha"), entry("beta"), entry("gamma")}),
                            json::array({entry("gamma"), entry("alpha")}));
    }

    std::optional<fs::path> xdotool = findExecutable("xdotool");
    // Variables that differ from the sandbox's environment (a session bus, another display).
    Names overrides;
    Sandbox box;
    std::unique_ptr<Process> bus, plank, app;
};

TEST_F(EndToEnd, SwitchingFromThePanelRewritesTheDockAndSwitchingBackRestoresTheVerySameTiles) {
    const plist::Array original = box.dockApps();
    // A process named "Dock" (a copy of sleep) stands in for the Dock that killall ends.
    const fs::path dock = box.root / "Dock";
    fs::copy_file(fs::canonical(findExecutable("sleep").value()), dock);
    writePresets();
    startApp({"--login-item"});
    ASSERT_TRUE(waitForTrace("launched")) << readText(log());
    EXPECT_TRUE(windows().empty()) << "a login-item start after onboarding shows no window";
    // The tiles that stay are the Dock's own dictionaries, GUID and book included; the spacer
    // keeps its place. Back to the first preset, the Dock holds exactly what it held before.
    const std::tuple<int, plist::Array, std::string> rows[] = {{2, {original[3], original[0], original[2]}, "work"}, {1, original, "default"}};
    for (int i = 0; i < 2; ++i) {
        const auto& [digit, tiles, active] = rows[i];
        Process fakeDock(dock, {"1000"}, box.environment());
        ASSERT_NO_FATAL_FAILURE(pressPreset(digit, i + 1));
        ASSERT_TRUE(waitUntil([&] { return !fakeDock.running(); })) << "the Dock was not restarted";
        EXPECT_EQ(box.dockApps(), tiles);
        EXPECT_EQ(Sandbox::activePresetIn(box.support()), active);
        EXPECT_TRUE(waitUntil([&] { return windows().empty(); })) << "the panel closes after a choice";
    }

    // A second start ends at once and brings up the running instance's window.
    Process second(KESTRINE_EXECUTABLE, {}, box.environment());
    ASSERT_TRUE(second.waitForExit());
    EXPECT_TRUE(second.exitedWith(0)) << second.exitCode();
    EXPECT_TRUE(waitUntil([&] { return !windows().empty(); })) << "the running instance shows its window";
    EXPECT_EQ(countTraces(log(), "launched"), 1) << "only one instance started";
    EXPECT_TRUE(app->terminate()) << app->exitCode();
    EXPECT_EQ(countTraces(log(), "signal-flush idle"), 1) << "nothing was left to write";
}

// The X server going away (a logout) ends the program from inside Qt, without returning from its
// event loop; a Dock write still inside the settings window's debounce is written on the way out.
// The program runs on an X server of its own here, which the test then ends. The program reports
// what the flush on its way out found, so "exit-flush wrote" proves the Dock was written by that
// path, not by the timer. On a machine too slow to end it within the 600 ms the timer wins; that
// round proves nothing and the switch is tried again the other way.
TEST_F(EndToEnd, TheDisplayGoingAwayStillWritesPendingDockWork) {
    const auto xvfb = findExecutable("Xvfb"), import = findExecutable("import");
    const plist::Array original = box.dockApps();
    if (!import || !xvfb) GTEST_SKIP() << "needs Xvfb, and ImageMagick's import to find the card";
    writePresets();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        int number = 150;
        while (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) || fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) ++number;
        Process server(*xvfb, {":" + std::to_string(number), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, box.environment());
        overrides = {"DISPLAY=:" + std::to_string(number), "XAUTHORITY="};
        ASSERT_TRUE(waitUntil([&] { return xdo({"getdisplaygeometry"}).code == 0; })) << "no private X server";

        // The settings window (the only window) rings the current preset's card; a click on the
        // other card switches, seen in the state file before the 600 ms debounce is up.
        const std::string to = Sandbox::activePresetIn(box.support()) == "default" ? "work" : "default";
        const plist::Array before = box.dockApps();
        fs::remove(log());
        startApp({});
        ASSERT_TRUE(waitForTrace("settings-shown")) << readText(log());
        const std::string picture = (box.root / "settings.png").string();
        std::string window;
        std::optional<QRect> ring;
        ASSERT_TRUE(waitUntil([&] { const Names shown = windows();
            if (shown.empty() || run(*import, {"-window", shown[0], picture}).code != 0) return false;
            window = shown[0];
            return (ring = currentCardRing(QImage(QString::fromStdString(picture)))).has_value();
        })) << "no card ringed in the accent colour";
        // Cards are laid out left to right: the default preset's first, then Work's.
        const int x = to == "work" ? ring->right() + 60 : ring->left() - 60;
        ASSERT_EQ(xdo({"mousemove", "--window", window, std::to_string(x), std::to_string(ring->top() + 50), "click", "1"}).code, 0);
        ASSERT_TRUE(waitUntil([&] { return Sandbox::activePresetIn(box.support()) == to; }, 10s, 5ms)) << "the click did not switch";
        const bool pending = box.dockApps() == before;

        server.signal(SIGTERM);
        ASSERT_TRUE(server.waitForExit());
        ASSERT_TRUE(app->waitForExit());
        EXPECT_GE(app->exitCode(), 0) << "ended by a signal";
        EXPECT_EQ(box.dockApps(), (to == "work" ? plist::Array{original[3], original[0], original[2]} : original));
        if (pending && countTraces(log(), "exit-flush wrote") == 1) return;
        ASSERT_EQ(countTraces(log(), "exit-flush idle"), 1) << readText(log());
    }
    GTEST_SKIP() << "the debounce fired before the server went away in every round: this machine is too slow";
}

TEST_F(EndToEnd, PlankShowsEachPresetInItsOrderAndGetsItsLaunchersBack) {
    const auto plankProgram = findExecutable("plank"), gdbus = findExecutable("gdbus"), gsettings = findExecutable("gsettings"),
               daemon = findExecutable("dbus-daemon");
    if (!plankProgram || !gdbus || !gsettings || !daemon) GTEST_SKIP() << "needs plank, gdbus, gsettings and dbus-daemon";
    // Desktop entries and Plank launchers for alpha, beta and gamma, and a clock docklet.
    const fs::path launchers = box.configHome() / "plank" / "dock1" / "launchers";
    for (const std::string name : {"alpha", "beta", "gamma"}) {
        writeFileAtomically(desktopFile(name), "[Desktop Entry]\nType=Application\nName=" + name + "\nExec=true\n");
        const std::string launcher = "[PlankDockItemPreferences]\nLauncher=file://" + desktopFile(name).string() + "\n";
        writeFileAtomically(launchers / (name + ".dockitem"), launcher);
    }
    writeFileAtomically(launchers / "clock.dockitem", "[PlankDockItemPreferences]\nLauncher=docklet://clock\n");
    const std::string beta = readText(launchers / "beta.dockitem");
    // A private session bus; dconf-service is started by the bus on the first write.
    overrides = {"DBUS_SESSION_BUS_ADDRESS=" + busAddress(), "GSETTINGS_BACKEND=dconf", "XDG_CURRENT_DESKTOP="};
    bus = std::make_unique<Process>(*daemon, Names{"--session", "--nofork", "--address=" + busAddress()}, box.environment(overrides));
    ASSERT_TRUE(waitUntil([&] { return fs::exists(box.root / "bus"); }));
    const std::string schema = "net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/dock1/";
    if (run(*gsettings, {"list-keys", "net.launchpad.plank.dock.settings"}).code != 0) GTEST_SKIP() << "needs Plank's schema (plank)";
    const std::string original = "['alpha.dockitem', 'beta.dockitem', 'clock.dockitem', 'gamma.dockitem']";
    ASSERT_EQ(run(*gsettings, {"set", schema, "dock-items", original}).code, 0);
    plank = std::make_unique<Process>(*plankProgram, Names{}, box.environment(overrides));
    // The applications in the order the running Plank has them, as it tells over D-Bus.
    const Names call{"call", "--session", "--dest", "net.launchpad.plank", "--object-path", "/net/launchpad/plank/dock1",
                     "--method", "net.launchpad.plank.Items.GetPersistentApplications"};
    auto shown = [&] { return run(*gdbus, call).output; };
    auto uris = [&](const Names& names) {
        std::string text;
        for (const auto& name : names) text += (text.empty() ? "'file://" : ", 'file://") + desktopFile(name).string() + "'";
        return "([" + text + "],)\n";
    };
    ASSERT_TRUE(waitUntil([&] { return shown() == uris({"alpha", "beta", "gamma"}); }, 30s)) << shown();

    // Plank is started again with each preset's order, one Plank; before that, the running one
    // wrote back its own. Beta's launcher goes with it and comes back; the docklet stays.
    const std::pair<Names, std::string> rows[] = {
        {{"gamma", "alpha"}, "['gamma.dockitem', 'alpha.dockitem', 'clock.dockitem']\n"}, {{"alpha", "beta", "gamma"}, original + "\n"}};
    const fs::path folder = box.support() / "docks" / "plank-dock1";
    writePresets(folder);
    startApp({"--dock=plank", "--login-item"});
    ASSERT_TRUE(waitForTrace("launched")) << readText(log());
    for (int round = 0; round < 2; ++round) {
        const auto& [apps, items] = rows[round];
        ASSERT_NO_FATAL_FAILURE(pressPreset(2 - round, round + 1));
        EXPECT_TRUE(waitUntil([&] { return shown() == uris(apps); }, 30s)) << shown();
        EXPECT_EQ(std::tuple(run(*gsettings, {"get", schema, "dock-items"}).output, readText(launchers / "beta.dockitem"),
                             fs::exists(launchers / "clock.dockitem")), std::tuple(items, round == 1 ? beta : "", true));
        EXPECT_EQ(std::tuple(Sandbox::activePresetIn(folder), PlankRestarter::running("dock1", busAddress()).size()),
                  std::tuple(round == 0 ? "work" : "default", 1u));
    }
    EXPECT_TRUE(fs::exists(folder / "Backups" / "original.plist"));
    EXPECT_TRUE(app->terminate()) << readText(log());
}

}  // namespace
