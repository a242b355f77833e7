// The whole program, as a user meets it: started with its own home under a real X server, driven
// with real key presses (xdotool), watched through the files it writes, the windows it shows and
// the trace lines it prints with KESTRINE_TRACE_STARTUP=1. The file dock is a Dock preferences
// file; Plank (the real plank process, started again by Kestrine when a switch changes its order)
// runs in a private session bus with dconf behind GSettings. GNOME Shell's favourites go through
// the same GSettings store the store tests run against the real schema. The command line
// ("kestrine list", "activate", "export", ...) runs as separate processes, with and without a
// running instance, checked by exit status, output and the files they leave.
#include <QImage>

#include <gtest/gtest.h>

#include <iterator>

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "app/platform/linux/plank/PlankRestarter.h"
#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using nlohmann::json;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

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
    box.writeTwoPresets(box.support(), {"alpha", "beta", "gamma"}, {"gamma", "alpha"});
    startApp({"--login-item"});
    ASSERT_TRUE(waitForTrace("launched")) << readText(log());
    EXPECT_TRUE(windows().empty()) << "a login-item start after onboarding shows no window";
    // The tiles that stay are the Dock's own dictionaries, GUID and book included; the spacer
    // keeps its place. Back to the first preset, the Dock holds exactly what it held before.
    const std::tuple<int, plist::Array, std::string> rows[] = {{2, {original[3], original[0], original[2]}, "work"}, {1, original, "default"}};
    for (int shown = 1; const auto& [digit, tiles, active] : rows) {
        Process fakeDock(dock, {"1000"}, box.environment());
        ASSERT_NO_FATAL_FAILURE(pressPreset(digit, shown++));
        ASSERT_TRUE(waitUntil([&] { return !fakeDock.running(); })) << "the Dock was not restarted";
        EXPECT_EQ(box.dockApps(), tiles);
        EXPECT_EQ(Sandbox::activePresetIn(box.support()), active);
        EXPECT_TRUE(waitUntil([&] { return windows().empty(); })) << "the panel closes after a choice";
    }

    // A second start ends at once and brings up the running instance's window.
    Process second(KESTRINE_EXECUTABLE, {}, box.environment());
    ASSERT_TRUE(second.waitForExit() && second.exitedWith(0)) << second.exitCode();
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
    box.writeTwoPresets(box.support(), {"alpha", "beta", "gamma"}, {"gamma", "alpha"});
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
        ASSERT_TRUE(server.waitForExit() && app->waitForExit());
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
    box.writeTwoPresets(folder, {"alpha", "beta", "gamma"}, {"gamma", "alpha"}, [&](const std::string& name) {
        return json{{"id", name + ".desktop"}, {"name", name}, {"path", desktopFile(name).string()}};
    });
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

class CommandLine : public ::testing::Test {
protected:
    // The Dock of alpha and beta; the default preset of both (active) and "Work" of beta.
    void SetUp() override {
        box.writeDock({appTile("com.example.alpha", 11, "/Applications/alpha.app"), appTile("com.example.beta", 12, "/Applications/beta.app")});
        both = box.dockApps();
        box.writeTwoPresets(box.support(), {"alpha", "beta"}, {"beta"});
    }
    CommandResult kestrine(const Names& arguments, const Sandbox* in = nullptr) {
        const Sandbox& sandbox = in ? *in : box;
        return runCommand(KESTRINE_EXECUTABLE, arguments, sandbox.environment({"KESTRINE_TRACE_STARTUP=", "XDG_CURRENT_DESKTOP="}), sandbox.root);
    }
    json list(const Sandbox* in = nullptr) { return json::parse(kestrine({"list", "--json"}, in).output, nullptr, false); }
    // The Dock with Work active: beta's own tile.
    plist::Array work() const { return {both.at(1)}; }

    Sandbox box;
    plist::Array both;
};

TEST_F(CommandLine, WrongUsageExitsWithTwoAndTheUsageAndTouchesNothing) {
    fs::remove_all(box.support());
    const std::pair<Names, std::string> rows[] = {
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"list", "--yes"}, "unknown option '--yes' for list"},
        {{"--bogus"}, "unknown option '--bogus'"},
        {{"activate"}, "activate needs exactly one"},
        {{"activate", "Work", "Home"}, "activate needs exactly one"},
        {{"import"}, "import needs exactly one file"},
        {{"export", "-o"}, "-o needs a file name"},
        {{"status", "extra"}, "status takes no argument 'extra'"},
        {{"--dock"}, "--dock needs a dock name"},
        {{"--dock=nonsense", "list"}, "unknown dock \"nonsense\""},
        {{"--login-item", "list"}, "takes no command"},
    };
    for (const auto& [arguments, says] : rows) {
        SCOPED_TRACE(::testing::PrintToString(arguments));
        const CommandResult run = kestrine(arguments);
        EXPECT_EQ(std::tuple(run.code, run.output, has(run.error, says), has(run.error, "Usage: kestrine")), std::tuple(2, "", true, true))
            << run.error;
    }
    EXPECT_FALSE(fs::exists(box.support())) << "a usage error starts nothing";
    EXPECT_EQ(kestrine({"--help"}).code, 0);
}

TEST_F(CommandLine, WithNoInstanceRunningCommandsWorkOnTheFilesAndEnd) {
    EXPECT_EQ(list(), json::parse(R"([{"number": 1, "name": "My Dock", "emoji": "🏠", "apps": 2, "active": true},
                                      {"number": 2, "name": "Work", "emoji": "💼", "apps": 1, "active": false}])"));
    const std::tuple<std::string, int, plist::Array, std::string> rows[] = {
        {"2", 0, work(), ""},  // the last number
        {"1", 0, both, ""},
        {"work", 0, work(), ""},  // a name, ignoring case
        {"Home", 1, work(), "no preset is named 'Home'; there are: 1 My Dock, 2 Work"},
        {"3", 1, work(), "no preset is named '3'"},
    };
    for (const auto& [preset, code, dockAfter, says] : rows) {
        SCOPED_TRACE(preset);
        const CommandResult run = kestrine({"activate", preset});
        EXPECT_EQ(std::tuple(run.code, box.dockApps(), has(run.error, says)), std::tuple(code, dockAfter, true)) << run.error;
    }
    const json s = json::parse(kestrine({"status", "--json"}).output, nullptr, false);
    EXPECT_EQ((json{s["activePreset"], s["running"], s["shortcut"]["registered"], s["supportDirectory"]}),
              (json{"Work", false, false, box.support().string()}));

    // Restore asks first; with no answer (standard input is empty) nothing is restored.
    for (const auto& [arguments, code, tiles] : {std::tuple(Names{"restore-original"}, 1, work()), {{"restore-original", "--yes"}, 0, both}}) {
        EXPECT_EQ(kestrine(arguments).code, code);
        EXPECT_EQ(box.dockApps(), tiles);
    }
    EXPECT_EQ(list()[0]["active"], true);
}

TEST_F(CommandLine, ExportThenImportIntoAFreshInstallationGivesTheSamePresets) {
    const fs::path file = box.root / "presets.json";
    ASSERT_EQ(kestrine({"export", "-o", file.string()}).code, 0);
    const json exported = json::parse(readText(file));
    EXPECT_EQ(std::tuple(exported["format"], has(exported.dump(), "storedTiles")), std::tuple("kestrine-presets", false));
    // Named presets only; to standard output without -o.
    EXPECT_EQ(json::parse(kestrine({"export", "work"}).output, nullptr, false)["presets"], json::array({exported["presets"][1]}));

    Sandbox fresh;
    fresh.writeDock({appTile("com.example.gamma", 21, "/Applications/gamma.app")});
    const plist::Array freshDock = fresh.dockApps();
    ASSERT_EQ(kestrine({"import", file.string()}, &fresh).code, 0);
    // The fresh default preset (its own Dock), then the two imported, the taken name numbered;
    // applications that are not installed are kept.
    const json state = json::parse(readText(fresh.stateFile()));
    ASSERT_EQ(state["presets"].size(), 3u);
    for (int i : {1, 2}) {
        const json &p = state["presets"][i], &source = exported["presets"][i - 1];
        EXPECT_EQ((json{p["name"], p["emoji"], p["apps"]}), (json{i == 1 ? "My Dock 2" : "Work", source["emoji"], source["apps"]}));
    }
    EXPECT_EQ(fresh.dockApps(), freshDock) << "importing does not switch";
}

TEST_F(CommandLine, ABadFileIsRefusedWithNothingChanged) {
    ASSERT_EQ(kestrine({"list"}).code, 0);  // the state as a run leaves it
    const std::string before = readText(box.stateFile());
    const std::string presets = R"(, "presets": [{"name": "Fine", "emoji": "✅", "apps": []}])";
    const std::pair<std::string, std::string> rows[] = {
        {R"({"format": "dock-profiles", "version": 1)" + presets + "}", "not a Kestrine preset export"},
        {R"({"format": "kestrine-presets", "version": 2)" + presets + "}", "version 2 is not supported"},
        {R"({"format": "kestrine-presets", )", "not JSON"},
        {R"({"format": "kestrine-presets", "version": 1, "presets": [{"name": " ", "apps": []}]})", "preset 1 has no name"},
        {R"({"format": "kestrine-presets", "version": 1, "presets": [{"name": "A", "apps": [{"name": "x"}]}]})", "application 1"},
        {R"({"format": "kestrine-presets", "version": 1, "presets": [{"name": "A", "apps": []}, 7]})", "preset 2 is not an object"},
        {"", "cannot read"},  // no such file
    };
    for (const auto& [text, says] : rows) {
        SCOPED_TRACE(says);
        const fs::path file = box.root / (text.empty() ? "missing.json" : "bad.json");
        if (!text.empty()) writeFileAtomically(file, text);
        const CommandResult run = kestrine({"import", file.string()});
        // One line on standard error.
        EXPECT_EQ(std::tuple(run.code, has(run.error, says), std::count(run.error.begin(), run.error.end(), '\n')), std::tuple(1, true, 1))
            << run.error;
        EXPECT_EQ(readText(box.stateFile()), before);
    }
}

TEST_F(CommandLine, AnInstanceThatDoesNotAnswerEndsTheCommandWithOne) {
    // Holds the lock and a socket that accepts but never replies.
    const int lock = ::open((box.runtime() / "kestrine.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{AF_UNIX, {}};
    std::strcpy(address.sun_path, (box.runtime() / "kestrine.socket").c_str());
    ASSERT_TRUE(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)) == 0 && ::listen(server, 4) == 0);
    const CommandResult run = kestrine({"list"});
    EXPECT_EQ(std::tuple(run.code, has(run.error, "did not answer")), std::tuple(1, true)) << run.error;
    ::close(server);
    ::close(lock);
}

// The running instance answers; its state, its files and its windows follow at once.
TEST_F(CommandLine, WithAnInstanceRunningItAnswersAndItsWindowsFollow) {
    const auto xdotool = findExecutable("xdotool");
    if (!std::getenv("DISPLAY") || !xdotool) GTEST_SKIP() << "needs an X display (run under xvfb-run) and xdotool";
    // "panel" with none running starts the application and shows the panel.
    const fs::path log = box.root / "app.err";
    Process app(KESTRINE_EXECUTABLE, {"panel"}, box.environment({"XDG_CURRENT_DESKTOP="}), std::nullopt, log);
    ASSERT_TRUE(waitUntil([&] { return countTraces(log, "panel-shown") > 0; })) << readText(log);
    auto visible = [&] { return !runCommand(*xdotool, {"search", "--onlyvisible", "--name", "^Kestrine$"}, box.environment(), box.root).output.empty(); };
    EXPECT_TRUE(visible());
    // A second "panel" toggles it off in the running instance.
    EXPECT_EQ(kestrine({"panel"}).code, 0);
    EXPECT_TRUE(waitUntil([&] { return !visible(); }));

    // Written before the command ended: no waiting for the debounce.
    EXPECT_EQ(kestrine({"activate", "Work"}).code, 0);
    EXPECT_EQ(std::tuple(box.dockApps(), Sandbox::activePresetIn(box.support())), std::tuple(work(), "work"));
    const json status = json::parse(kestrine({"status", "--json"}).output, nullptr, false);
    EXPECT_EQ((json{status["running"], status["shortcut"]["registered"]}), (json{true, true}));

    const fs::path file = box.root / "out.json";
    ASSERT_EQ(kestrine({"export", "work", "-o", file.string()}).code, 0);
    ASSERT_EQ(kestrine({"import", file.string()}).code, 0);
    EXPECT_EQ(list().back()["name"], "Work 2");
    EXPECT_EQ(json::parse(readText(box.stateFile()))["presets"].size(), 3u) << "the instance saved it";

    EXPECT_EQ(kestrine({"settings"}).code, 0);
    EXPECT_TRUE(waitUntil(visible)) << "the settings window shows";
    EXPECT_EQ(kestrine({"--dock=file", "list"}).code, 0);
    const CommandResult otherDock = kestrine({"--dock=gnome", "list"});
    EXPECT_EQ(std::tuple(otherDock.code, has(otherDock.error, "manages the file dock")), std::tuple(1, true)) << otherDock.error;
    EXPECT_TRUE(app.terminate()) << app.exitCode();
}

}  // namespace
