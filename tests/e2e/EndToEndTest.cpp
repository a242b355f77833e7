// The whole program, as a user meets it: started with its own home under a real X server, driven
// with real key presses (xdotool), watched through the files it writes, the windows it shows and
// the trace lines it prints with KESTRINE_TRACE_STARTUP=1. The file dock is a Dock preferences
// file; GNOME Shell's favourites and Plank (the real plank process, started again by Kestrine
// when a switch changes its order) run in a private session bus with dconf behind GSettings.
#include <QImage>

#include <gtest/gtest.h>

#include <csignal>
#include <iterator>

#include "app/platform/linux/plank/PlankRestarter.h"
#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using nlohmann::json;
using Names = std::vector<std::string>;

namespace {

const char* const alpha = "com.example.alpha";
const char* const beta = "com.example.beta";
const char* const gamma = "com.example.gamma";

json bundleApp(const std::string& id) {
    const std::string name = id.substr(id.rfind('.') + 1);
    return presetApp(id, name, "/Applications/" + name + ".app");
}

// Finds the current preset's card in a picture of the settings window: the card is ringed in the
// accent colour, and its ring's top edge is the first long horizontal run of accent pixels.
std::optional<QRect> currentCardRing(const QImage& image) {
    auto isAccent = [](QRgb p) {
        auto near = [](int a, int b) { return std::abs(a - b) < 28; };
        return (near(qRed(p), 0x3B) && near(qGreen(p), 0x35) && near(qBlue(p), 0xA8)) ||
               (near(qRed(p), 0x8F) && near(qGreen(p), 0x8B) && near(qBlue(p), 0xF2));
    };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0, run = 0; x < image.width(); ++x) {
            run = isAccent(image.pixel(x, y)) ? run + 1 : 0;
            if (run < 100) continue;
            int end = x;
            while (end + 1 < image.width() && isAccent(image.pixel(end + 1, y))) ++end;
            return QRect(QPoint(x - run + 1, y), QPoint(end, y + 1));
        }
    return std::nullopt;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        if (!xdotool) GTEST_SKIP() << "needs xdotool";
        if (!fs::exists("/usr/bin/killall")) GTEST_SKIP() << "needs /usr/bin/killall";
        box = std::make_unique<Sandbox>();
        box->writeDock({appTile(alpha, 11, "/Applications/alpha.app"), appTile(beta, 12, "/Applications/beta.app"),
                        {{"GUID", plist::Value(13)}, {"tile-type", plist::Value("spacer-tile")}, {"tile-data", plist::Value(plist::Dictionary{})}},
                        appTile(gamma, 14, "/Applications/gamma.app")});
        original = box->dockApps();
        ASSERT_EQ(original.size(), 4u);
    }
    void TearDown() override {
        app.reset();
        plank.reset();
        // A Plank that Kestrine started again is nobody's child here.
        if (bus)
            for (const auto& started : PlankRestarter::running("dock1", busAddress())) ::kill(started.pid, SIGTERM);
        bus.reset();
        box.reset();
    }

    fs::path log() const { return box->root / "kestrine.err"; }
    std::string busAddress() const { return "unix:path=" + (box->root / "bus").string(); }
    fs::path desktopFile(const std::string& name) const { return box->dataHome() / "applications" / (name + ".desktop"); }

    void startApp(const Names& arguments = {}) {
        app = std::make_unique<Process>(KESTRINE_EXECUTABLE, arguments, box->environment(overrides), box->root / "kestrine.out", log());
    }
    bool waitForTrace(const std::string& marker, int count = 1) {
        return waitUntil([&] { return countTraces(log(), marker) >= count; });
    }
    // A command's outcome, its output without the final line break.
    CommandResult run(const fs::path& program, const Names& arguments) {
        CommandResult result = runCommand(program, arguments, box->environment(overrides), box->root);
        while (!result.output.empty() && result.output.back() == '\n') result.output.pop_back();
        return result;
    }
    CommandResult xdo(const Names& arguments) { return run(*xdotool, arguments); }
    std::string setting(const std::string& schema, const std::string& key) { return run(*gsettings, {"get", schema, key}).output; }
    bool schemaInstalled(const std::string& schema) { return run(*gsettings, {"list-keys", schema}).code == 0; }

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
    // The settings window is the one at least its minimum size (the panel is a short strip).
    std::optional<std::string> settingsWindow() {
        for (const std::string& id : windows()) {
            const std::string shell = xdo({"getwindowgeometry", "--shell", id}).output;
            auto value = [&](const std::string& key) { return std::atoi(shell.c_str() + shell.find(key + "=") + key.size() + 1); };
            if (shell.find("HEIGHT=") != std::string::npos && value("WIDTH") >= 680 && value("HEIGHT") >= 600) return id;
        }
        return std::nullopt;
    }

    // The default preset of the Dock's applications in order, and Work of gamma and alpha.
    void writeBundlePresets() {
        box->writeTwoPresets(box->support(), json::array({bundleApp(alpha), bundleApp(beta), bundleApp(gamma)}),
                             json::array({bundleApp(gamma), bundleApp(alpha)}));
    }
    // The same by desktop entries of the sandbox's own, in `folder`.
    void writeDesktopPresets(const fs::path& folder) {
        auto entry = [&](const std::string& name) { return presetApp(name + ".desktop", name, desktopFile(name).string()); };
        box->writeTwoPresets(folder, json::array({entry("alpha"), entry("beta"), entry("gamma")}),
                             json::array({entry("gamma"), entry("alpha")}));
    }

    // Desktop entries for alpha, beta and gamma and a private session bus; dconf-service is started
    // by the bus on the first write. False when a program it needs is missing.
    bool startBus() {
        const auto daemon = findExecutable("dbus-daemon");
        if (!daemon || !gsettings) return false;
        for (const char* name : {"alpha", "beta", "gamma"})
            writeFileAtomically(desktopFile(name), std::string("[Desktop Entry]\nType=Application\nName=") + name + "\nExec=true\n");
        overrides = {"DBUS_SESSION_BUS_ADDRESS=" + busAddress(), "GSETTINGS_BACKEND=dconf", "XDG_CURRENT_DESKTOP="};
        bus = std::make_unique<Process>(*daemon, Names{"--session", "--nofork", "--address=" + busAddress()},
                                        box->environment(overrides));
        return waitUntil([&] { return fs::exists(box->root / "bus"); });
    }

    // Starts the program with its settings window, clicks the other preset's card and returns as
    // soon as the switch is in the state file, before the 600 ms debounce is up: true when the
    // Dock file was still unwritten by then. Only the settings window debounces a Dock write (the
    // panel writes as it closes).
    bool switchInTheSettingsWindow(const std::string& to) {
        const plist::Array before = box->dockApps();
        fs::remove(log());
        startApp();
        EXPECT_TRUE(waitForTrace("settings-shown")) << readText(log());
        std::optional<std::string> window;
        std::optional<QRect> ring;
        const fs::path picture = box->root / "settings.png";
        EXPECT_TRUE(waitUntil([&] {
            window = settingsWindow();
            return window && run(*import, {"-window", *window, picture.string()}).code == 0 &&
                   (ring = currentCardRing(QImage(QString::fromStdString(picture.string()))));
        })) << "no card ringed in the accent colour";
        if (!ring) return false;
        // Cards are laid out left to right: the default preset's first, then Work's.
        const int x = to == "work" ? ring->right() + 60 : ring->left() - 60;
        EXPECT_EQ(xdo({"mousemove", "--window", *window, std::to_string(x), std::to_string(ring->top() + 50), "click", "1"}).code, 0);
        EXPECT_TRUE(waitUntil([&] { return Sandbox::activePresetIn(box->support()) == to; }, 10s, 5ms)) << "the click did not switch";
        return box->dockApps() == before;
    }

    std::optional<fs::path> xdotool = findExecutable("xdotool");
    std::optional<fs::path> import = findExecutable("import");
    std::optional<fs::path> gsettings = findExecutable("gsettings");
    // Variables that differ from the sandbox's environment (a session bus, another display).
    Names overrides;
    std::unique_ptr<Sandbox> box;
    plist::Array original;
    std::unique_ptr<Process> bus, plank, app;
};

TEST_F(EndToEnd, SwitchingFromThePanelRewritesTheDockAndSwitchingBackRestoresTheVerySameTiles) {
    writeBundlePresets();
    startApp({"--login-item"});
    ASSERT_TRUE(waitForTrace("launched")) << readText(log());
    EXPECT_FALSE(settingsWindow()) << "a login-item start after onboarding shows no window";
    auto history = [&] {  // the copies of the Dock kept before each switch
        int n = 0;
        for (const auto& entry : fs::directory_iterator(box->backups()))
            n += entry.path().filename().string().rfind("dock-", 0) == 0 && entry.path().extension() == ".plist";
        return n;
    };

    auto dock = box->startFakeDock();
    ASSERT_NO_FATAL_FAILURE(pressPreset(2, 1));
    ASSERT_TRUE(waitUntil([&] { return !dock->running(); })) << "the Dock was not restarted";
    // The tiles that stay are the Dock's own dictionaries, GUID and book included; the spacer
    // keeps its place.
    EXPECT_EQ(box->dockApps(), (plist::Array{original[3], original[0], original[2]}));
    EXPECT_TRUE(fs::exists(box->backups() / "original.plist"));
    EXPECT_EQ(history(), 1);
    EXPECT_EQ(Sandbox::activePresetIn(box->support()), "work");
    EXPECT_TRUE(waitUntil([&] { return windows().empty(); })) << "the panel closes after a choice";

    // Back to the first preset: the Dock holds exactly what it held before.
    dock = box->startFakeDock();
    ASSERT_NO_FATAL_FAILURE(pressPreset(1, 2));
    ASSERT_TRUE(waitUntil([&] { return !dock->running(); }));
    EXPECT_EQ(box->dockApps(), original);
    EXPECT_EQ(Sandbox::activePresetIn(box->support()), "default");
    EXPECT_EQ(history(), 2);

    // A second start ends at once and brings up the running instance's window.
    Process second(KESTRINE_EXECUTABLE, {}, box->environment(), std::nullopt, box->root / "second.err");
    ASSERT_TRUE(second.waitForExit());
    EXPECT_TRUE(second.exitedWith(0)) << second.describe() << ": " << readText(box->root / "second.err");
    EXPECT_TRUE(waitUntil([&] { return settingsWindow().has_value(); })) << "the running instance shows its window";
    EXPECT_EQ(countTraces(log(), "launched"), 1) << "only one instance started";

    EXPECT_TRUE(app->terminate()) << app->describe();
    EXPECT_EQ(countTraces(log(), "signal-flush idle"), 1) << "nothing was left to write";
}

// The X server going away (a logout) ends the program from inside Qt, without returning from its
// event loop; a Dock write still inside the settings window's debounce is written on the way out.
// The program runs on an X server of its own here, which the test then ends. The program reports
// what the flush on its way out found, so "exit-flush wrote" proves the Dock was written by that
// path, not by the timer. On a machine too slow to end it within the 600 ms the timer wins; that
// round proves nothing and the switch is tried again the other way.
TEST_F(EndToEnd, TheDisplayGoingAwayStillWritesPendingDockWork) {
    const auto xvfb = findExecutable("Xvfb");
    if (!import || !xvfb) GTEST_SKIP() << "needs Xvfb, and ImageMagick's import to find the card";
    writeBundlePresets();
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        int number = 150;
        while (number < 400 && (fs::exists("/tmp/.X11-unix/X" + std::to_string(number)) ||
                                fs::exists("/tmp/.X" + std::to_string(number) + "-lock")))
            ++number;
        const std::string display = ":" + std::to_string(number);
        Process server(*xvfb, {display, "-screen", "0", "1280x1024x24", "-nolisten", "tcp"}, box->environment());
        overrides = {"DISPLAY=" + display, "XAUTHORITY="};
        ASSERT_TRUE(waitUntil([&] { return xdo({"getdisplaygeometry"}).code == 0; })) << "no private X server";

        const std::string to = Sandbox::activePresetIn(box->support()) == "default" ? "work" : "default";
        const bool pending = switchInTheSettingsWindow(to);
        ASSERT_FALSE(HasFatalFailure());
        server.signal(SIGTERM);
        ASSERT_TRUE(server.waitForExit());
        ASSERT_TRUE(app->waitForExit());
        EXPECT_GE(app->exitCode(), 0) << app->describe();
        EXPECT_EQ(identities(box->dockApps()), to == "work" ? (Names{gamma, alpha, "?"}) : (Names{alpha, beta, "?", gamma}));
        if (pending && countTraces(log(), "exit-flush wrote") == 1) return;
        ASSERT_EQ(countTraces(log(), "exit-flush idle"), 1) << readText(log());
    }
    GTEST_SKIP() << "the debounce fired before the server went away in every round: this machine is too slow";
}

TEST_F(EndToEnd, GnomeFavouritesFollowThePanelAndComeBackExactly) {
    if (!startBus()) GTEST_SKIP() << "needs dbus-daemon and gsettings";
    if (!schemaInstalled("org.gnome.shell")) GTEST_SKIP() << "needs the org.gnome.shell schema (gnome-shell-common)";
    const std::string original = "['alpha.desktop', 'beta.desktop', 'not a desktop id', 'gamma.desktop']";
    ASSERT_EQ(run(*gsettings, {"set", "org.gnome.shell", "favorite-apps", original}).code, 0);
    auto favourites = [&] { return setting("org.gnome.shell", "favorite-apps"); };
    ASSERT_EQ(favourites(), original);
    const fs::path folder = box->support() / "docks" / "gnome";
    writeDesktopPresets(folder);

    startApp({"--dock=gnome", "--login-item"});
    ASSERT_TRUE(waitForTrace("launched")) << readText(log());
    ASSERT_NO_FATAL_FAILURE(pressPreset(2, 1));
    // Work's applications in its order; the entry that is not an application keeps its place.
    const std::string work = "['gamma.desktop', 'alpha.desktop', 'not a desktop id']";
    EXPECT_TRUE(waitUntil([&] { return favourites() == work; })) << favourites();
    EXPECT_EQ(Sandbox::activePresetIn(folder), "work");
    EXPECT_TRUE(fs::exists(folder / "Backups" / "original.plist"));
    // The file dock's files are not touched; the shortcut and onboarding stay shared.
    EXPECT_FALSE(fs::exists(box->stateFile()));
    EXPECT_FALSE(fs::exists(box->backups()));

    ASSERT_NO_FATAL_FAILURE(pressPreset(1, 2));
    EXPECT_TRUE(waitUntil([&] { return favourites() == original; })) << favourites();
    EXPECT_EQ(Sandbox::activePresetIn(folder), "default");
    EXPECT_TRUE(app->terminate()) << readText(log());
}

TEST_F(EndToEnd, PlankShowsEachPresetInItsOrderAndGetsItsLaunchersBack) {
    const auto plankProgram = findExecutable("plank"), gdbus = findExecutable("gdbus");
    if (!plankProgram || !gdbus) GTEST_SKIP() << "needs plank and gdbus";
    if (!startBus()) GTEST_SKIP() << "needs dbus-daemon and gsettings";
    if (!schemaInstalled("net.launchpad.plank.dock.settings")) GTEST_SKIP() << "needs Plank's schema (plank)";
    const std::string schema = "net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/dock1/";
    const fs::path launchers = box->configHome() / "plank" / "dock1" / "launchers";
    const std::string clock = "clock.dockitem";
    std::map<std::string, std::string> files;
    for (const char* name : {"alpha", "beta", "gamma"})
        files[std::string(name) + ".dockitem"] = "[PlankDockItemPreferences]\nLauncher=file://" + desktopFile(name).string() + "\n";
    for (const auto& [file, text] : files) writeFileAtomically(launchers / file, text);
    writeFileAtomically(launchers / clock, "[PlankDockItemPreferences]\nLauncher=docklet://clock\n");
    const std::string original = "['alpha.dockitem', 'beta.dockitem', 'clock.dockitem', 'gamma.dockitem']";
    ASSERT_EQ(run(*gsettings, {"set", schema, "dock-items", original}).code, 0);
    // The applications' launchers; Plank rewrites its docklets' files itself.
    auto applicationLaunchers = [&] {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::directory_iterator(launchers))
            if (entry.path().filename() != clock) found[entry.path().filename()] = readText(entry.path());
        return found;
    };

    plank = std::make_unique<Process>(*plankProgram, Names{}, box->environment(overrides), std::nullopt, box->root / "plank.err");
    // Plank is up once its dock window is mapped.
    ASSERT_TRUE(waitUntil([&] { return !xdo({"search", "--onlyvisible", "--class", "plank"}).output.empty(); }, 30s))
        << readText(box->root / "plank.err");
    const fs::path folder = box->support() / "docks" / "plank-dock1";
    writeDesktopPresets(folder);
    startApp({"--dock=plank", "--login-item"});
    ASSERT_TRUE(waitForTrace("launched")) << readText(log());
    // The applications in the order the running Plank has them, as it tells over D-Bus.
    auto shown = [&] {
        return run(*gdbus, {"call", "--session", "--dest", "net.launchpad.plank", "--object-path", "/net/launchpad/plank/dock1",
                            "--method", "net.launchpad.plank.Items.GetPersistentApplications"})
            .output;
    };
    auto uris = [&](const Names& names) {
        std::string text;
        for (const auto& name : names) text += (text.empty() ? "'file://" : ", 'file://") + desktopFile(name).string() + "'";
        return "([" + text + "],)";
    };
    ASSERT_TRUE(waitUntil([&] { return shown() == uris({"alpha", "beta", "gamma"}); }, 20s)) << shown();

    ASSERT_NO_FATAL_FAILURE(pressPreset(2, 1));
    // Plank is started again with Work's order; before that, the running one wrote back its own.
    EXPECT_TRUE(waitUntil([&] { return shown() == uris({"gamma", "alpha"}); }, 30s)) << shown();
    EXPECT_EQ(setting(schema, "dock-items"), "['gamma.dockitem', 'alpha.dockitem', 'clock.dockitem']")
        << "a Plank that disagrees writes its own order";
    EXPECT_FALSE(fs::exists(launchers / "beta.dockitem")) << "beta's launcher goes with it";
    EXPECT_TRUE(fs::exists(launchers / clock));
    EXPECT_EQ(Sandbox::activePresetIn(folder), "work");
    EXPECT_TRUE(fs::exists(folder / "Backups" / "original.plist"));
    EXPECT_EQ(PlankRestarter::running("dock1", busAddress()).size(), 1u) << "one Plank, started again";

    ASSERT_NO_FATAL_FAILURE(pressPreset(1, 2));
    // Every item is back in its place, and beta's launcher has its very bytes again.
    EXPECT_TRUE(waitUntil([&] { return shown() == uris({"alpha", "beta", "gamma"}); }, 30s)) << shown();
    EXPECT_EQ(setting(schema, "dock-items"), original);
    EXPECT_EQ(applicationLaunchers(), files);
    EXPECT_TRUE(fs::exists(launchers / clock));
    EXPECT_TRUE(app->terminate()) << readText(log());
}

}  // namespace
