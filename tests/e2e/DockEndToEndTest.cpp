// The program switching the docks Linux desktops really have, each in a private session bus
// (dbus-daemon with dconf behind GSettings) under the test's X server: GNOME Shell's
// favourites, read back with `gsettings get`, and Plank, with the real plank process running,
// started again by Kestrine when a switch changes its order. Presets are switched from the key
// panel with real key presses.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>

#include "app/platform/linux/plank/PlankRestarter.h"
#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;

namespace {

// Three applications of the sandbox's own, each with an icon of one colour.
const std::vector<std::pair<std::string, QColor>> applications{
    {"alpha", QColor(0xd0, 0x40, 0x30)}, {"beta", QColor(0x30, 0xa0, 0x50)}, {"gamma", QColor(0x30, 0x60, 0xd0)}};

class DockEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        for (const char* program : {"xdotool", "dbus-daemon", "gsettings"}) {
            auto found = findExecutable(program);
            if (!found) GTEST_SKIP() << "needs " << program;
            programs[program] = *found;
        }
        box = std::make_unique<Sandbox>();
        for (const auto& [name, colour] : applications) {
            const fs::path icon = box->root / "icons" / (name + ".png");
            fs::create_directories(icon.parent_path());
            QImage image(64, 64, QImage::Format_ARGB32);
            image.fill(colour);
            ASSERT_TRUE(image.save(QString::fromStdString(icon.string())));
            writeFileAtomically(desktopFile(name), "[Desktop Entry]\nType=Application\nName=" + capitalised(name) +
                                                       "\nExec=true\nIcon=" + icon.string() + "\n");
        }
        // A private session bus; dconf-service is started by it on the first write.
        const fs::path socket = box->root / "bus";
        overrides = {"DBUS_SESSION_BUS_ADDRESS=" + busAddress(), "GSETTINGS_BACKEND=dconf",
                     "XDG_CURRENT_DESKTOP="};
        bus = std::make_unique<Process>(programs["dbus-daemon"],
                                        std::vector<std::string>{"--session", "--nofork", "--address=unix:path=" + socket.string()},
                                        box->environment(overrides));
        ASSERT_TRUE(waitUntil([&] { return fs::exists(socket); })) << "the session bus did not start";
    }
    void TearDown() override {
        app.reset();
        plank.reset();
        // A Plank that Kestrine started again is nobody's child here.
        if (box)
            for (const auto& started : PlankRestarter::running("dock1", busAddress()))
                ::kill(started.pid, SIGTERM);
        bus.reset();
        box.reset();
    }

    static std::string capitalised(std::string text) {
        text[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(text[0])));
        return text;
    }
    fs::path desktopFile(const std::string& name) const { return box->dataHome() / "applications" / (name + ".desktop"); }
    fs::path errorLog() const { return box->root / "kestrine.err"; }
    std::string busAddress() const { return "unix:path=" + (box->root / "bus").string(); }

    CommandResult run(const std::string& program, const std::vector<std::string>& arguments) {
        return runCommand(programs.count(program) ? programs[program] : fs::path(program), arguments,
                          box->environment(overrides), box->root);
    }
    CommandResult gsettings(const std::vector<std::string>& arguments) { return run("gsettings", arguments); }
    bool schemaInstalled(const std::string& schema) { return gsettings({"list-keys", schema}).code == 0; }

    std::unique_ptr<Process> startApp(const std::string& dock) {
        return std::make_unique<Process>(KESTRINE_EXECUTABLE, std::vector<std::string>{"--dock=" + dock, "--login-item"},
                                         box->environment(overrides), box->root / "kestrine.out", errorLog());
    }
    bool waitForTrace(const std::string& marker, int count = 1) {
        return waitUntil([&] {
            const std::string log = readText(errorLog());
            int seen = 0;
            for (auto at = log.find("kestrine-trace " + marker); at != std::string::npos;
                 at = log.find("kestrine-trace " + marker, at + 1))
                ++seen;
            return seen >= count;
        });
    }
    // Ctrl-Alt-D opens the key panel; the digit picks a preset, which is written as the panel closes.
    void pressPreset(int digit, int panelsShown) {
        ASSERT_EQ(run("xdotool", {"key", "ctrl+alt+d"}).code, 0);
        ASSERT_TRUE(waitForTrace("panel-shown", panelsShown)) << readText(errorLog());
        ASSERT_EQ(run("xdotool", {"key", std::to_string(digit)}).code, 0);
    }

    // The default preset of alpha, beta and gamma and "Work" of gamma and alpha, in `folder`,
    // with the onboarding seen so that a login-item start shows no window.
    void prepareTwoPresets(const fs::path& folder, const std::function<std::string(const std::string&)>& id) {
        auto app = [&](const std::string& name) {
            return nlohmann::json{{"id", id(name)}, {"name", capitalised(name)}, {"path", desktopFile(name).string()}};
        };
        nlohmann::json presets = {
            {{"apps", {app("alpha"), app("beta"), app("gamma")}}, {"emoji", "🏠"}, {"hiddenIDs", nlohmann::json::array()},
             {"id", "default"}, {"isDefault", true}, {"name", "My Dock"}},
            {{"apps", {app("gamma"), app("alpha")}}, {"emoji", "💼"}, {"hiddenIDs", nlohmann::json::array()},
             {"id", "work"}, {"isDefault", false}, {"name", "Work"}}};
        nlohmann::json state{{"activePresetID", "default"}, {"hidden", nlohmann::json::array()},
                             {"presets", presets}, {"storedTiles", nlohmann::json::array()}};
        writeFileAtomically(folder / "state.json", state.dump(2));
        writeFileAtomically(box->onboardingFile(), R"({"hasSeenOnboarding":true})");
    }
    std::string activePreset(const fs::path& folder) const {
        try {
            return nlohmann::json::parse(readText(folder / "state.json")).value("activePresetID", "");
        } catch (const std::exception&) {
            return {};
        }
    }

    // A picture of the whole screen, kept in $KESTRINE_SHOTS_DIR/docks when set.
    void screenshot(const std::string& name) {
        const auto import = findExecutable("import");
        if (!import) return;
        const char* shots = std::getenv("KESTRINE_SHOTS_DIR");
        const fs::path folder = shots ? fs::path(shots) / "docks" : box->root / "shots";
        fs::create_directories(folder);
        runCommand(*import, {"-window", "root", (folder / (name + ".png")).string()}, box->environment(overrides), box->root);
    }

    // The applications whose icon colours the bottom of the screen shows, from left to right.
    std::vector<std::string> iconsOnScreen() {
        screenshot("plank-now");
        const char* shots = std::getenv("KESTRINE_SHOTS_DIR");
        const fs::path file = (shots ? fs::path(shots) / "docks" : box->root / "shots") / "plank-now.png";
        QImage image;
        if (!image.load(QString::fromStdString(file.string()))) return {};
        std::vector<std::pair<int, std::string>> found;
        for (const auto& [name, colour] : applications) {
            auto near = [&](QColor pixel) {
                return std::abs(pixel.red() - colour.red()) < 24 && std::abs(pixel.green() - colour.green()) < 24 &&
                       std::abs(pixel.blue() - colour.blue()) < 24;
            };
            std::optional<int> left;
            for (int y = std::max(0, image.height() - 150); y < image.height() && !left; ++y)
                for (int x = 0; x < image.width(); ++x)
                    if (near(image.pixelColor(x, y))) {
                        left = x;
                        break;
                    }
            if (left) found.emplace_back(*left, name);
        }
        std::sort(found.begin(), found.end());
        std::vector<std::string> names;
        for (auto& [x, name] : found) names.push_back(name);
        return names;
    }

    bool terminate(Process& process) {
        process.signal(SIGTERM);
        return process.waitForExit() && process.exitedWith(0);
    }

    std::map<std::string, fs::path> programs;
    std::vector<std::string> overrides;
    std::unique_ptr<Sandbox> box;
    std::unique_ptr<Process> bus;
    std::unique_ptr<Process> plank;
    std::unique_ptr<Process> app;
};

TEST_F(DockEndToEnd, GnomeFavouritesFollowThePanelAndComeBackExactly) {
    if (!schemaInstalled("org.gnome.shell")) GTEST_SKIP() << "needs the org.gnome.shell schema (gnome-shell-common)";
    const std::string original = "['alpha.desktop', 'beta.desktop', 'not a desktop id', 'gamma.desktop']";
    ASSERT_EQ(gsettings({"set", "org.gnome.shell", "favorite-apps", original}).code, 0);
    auto favourites = [&] {
        auto text = gsettings({"get", "org.gnome.shell", "favorite-apps"}).output;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    };
    ASSERT_EQ(favourites(), original);
    const fs::path folder = box->support() / "docks" / "gnome";
    prepareTwoPresets(folder, [](const std::string& name) { return name + ".desktop"; });

    app = startApp("gnome");
    ASSERT_TRUE(waitForTrace("launched")) << readText(errorLog());
    pressPreset(2, 1);
    // Work's applications in its order; the entry that is not an application keeps its place.
    const std::string work = "['gamma.desktop', 'alpha.desktop', 'not a desktop id']";
    EXPECT_TRUE(waitUntil([&] { return favourites() == work; })) << favourites();
    EXPECT_EQ(activePreset(folder), "work");
    EXPECT_TRUE(fs::exists(folder / "Backups" / "original.plist"));
    // The file dock's files are not touched; the shortcut and onboarding stay shared.
    EXPECT_FALSE(fs::exists(box->stateFile()));
    EXPECT_FALSE(fs::exists(box->backups()));

    pressPreset(1, 2);
    EXPECT_TRUE(waitUntil([&] { return favourites() == original; })) << favourites();
    EXPECT_EQ(activePreset(folder), "default");
    EXPECT_TRUE(terminate(*app)) << readText(errorLog());
}

TEST_F(DockEndToEnd, PlankShowsEachPresetInItsOrderAndGetsItsLaunchersBack) {
    if (!findExecutable("plank")) GTEST_SKIP() << "needs plank";
    programs["plank"] = *findExecutable("plank");
    if (!findExecutable("gdbus")) GTEST_SKIP() << "needs gdbus";
    programs["gdbus"] = *findExecutable("gdbus");
    const std::string schema = "net.launchpad.plank.dock.settings:/net/launchpad/plank/docks/dock1/";
    if (!schemaInstalled("net.launchpad.plank.dock.settings")) GTEST_SKIP() << "needs Plank's schema (plank)";
    const fs::path launchers = box->configHome() / "plank" / "dock1" / "launchers";
    std::map<std::string, std::string> files;
    for (const auto& [name, colour] : applications)
        files[name + ".dockitem"] = "[PlankDockItemPreferences]\nLauncher=file://" + desktopFile(name).string() + "\n";
    files["clock.dockitem"] = "[PlankDockItemPreferences]\nLauncher=docklet://clock\n";
    for (const auto& [file, text] : files) writeFileAtomically(launchers / file, text);
    const std::string original = "['alpha.dockitem', 'beta.dockitem', 'clock.dockitem', 'gamma.dockitem']";
    ASSERT_EQ(gsettings({"set", schema, "dock-items", original}).code, 0);
    auto items = [&] {
        auto text = gsettings({"get", schema, "dock-items"}).output;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    };
    auto launcherFiles = [&] {
        std::map<std::string, std::string> found;
        for (const auto& entry : fs::directory_iterator(launchers)) found[entry.path().filename()] = readText(entry.path());
        return found;
    };

    plank = std::make_unique<Process>(programs["plank"], std::vector<std::string>{}, box->environment(overrides),
                                      box->root / "plank.out", box->root / "plank.err");
    // Plank is up once its dock window is mapped.
    ASSERT_TRUE(waitUntil([&] { return !run("xdotool", {"search", "--onlyvisible", "--class", "plank"}).output.empty(); },
                          30s))
        << readText(box->root / "plank.err");
    const fs::path folder = box->support() / "docks" / "plank-dock1";
    prepareTwoPresets(folder, [](const std::string& name) { return name + ".desktop"; });

    app = startApp("plank");
    ASSERT_TRUE(waitForTrace("launched")) << readText(errorLog());
    // The applications in the order the running Plank has them, as it tells over D-Bus.
    auto shown = [&] {
        auto text = run("gdbus", {"call", "--session", "--dest", "net.launchpad.plank", "--object-path",
                                  "/net/launchpad/plank/dock1", "--method",
                                  "net.launchpad.plank.Items.GetPersistentApplications"})
                        .output;
        while (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    };
    auto uris = [&](const std::vector<std::string>& names) {
        std::string text = "([";
        for (const auto& name : names) text += (text.size() > 2 ? ", '" : "'") + ("file://" + desktopFile(name).string()) + "'";
        return text + "],)";
    };
    using Names = std::vector<std::string>;
    ASSERT_TRUE(waitUntil([&] { return shown() == uris({"alpha", "beta", "gamma"}); }, 20s)) << shown();
    ASSERT_TRUE(waitUntil([&] { return iconsOnScreen() == Names{"alpha", "beta", "gamma"}; }, 30s))
        << ::testing::PrintToString(iconsOnScreen());
    // Pictures for a person to compare.
    screenshot("plank-before");
    pressPreset(2, 1);
    // Plank is started again with Work's order; before that, the running one wrote back its own.
    const std::string work = "['gamma.dockitem', 'alpha.dockitem', 'clock.dockitem']";
    EXPECT_TRUE(waitUntil([&] { return shown() == uris({"gamma", "alpha"}); }, 30s)) << shown();
    EXPECT_EQ(items(), work) << "a Plank that disagrees writes its own order";
    EXPECT_FALSE(fs::exists(launchers / "beta.dockitem")) << "beta's launcher stays";
    EXPECT_EQ(launcherFiles().count("clock.dockitem"), 1u);
    EXPECT_EQ(activePreset(folder), "work");
    EXPECT_TRUE(fs::exists(folder / "Backups" / "original.plist"));
    EXPECT_EQ(PlankRestarter::running("dock1", busAddress()).size(), 1u) << "one Plank, started again";
    EXPECT_TRUE(waitUntil([&] { return iconsOnScreen() == Names{"gamma", "alpha"}; }, 30s))
        << ::testing::PrintToString(iconsOnScreen());
    screenshot("plank-after");

    pressPreset(1, 2);
    // Every item is back in its place, and beta's launcher has its very bytes again.
    EXPECT_TRUE(waitUntil([&] { return shown() == uris({"alpha", "beta", "gamma"}); }, 30s)) << shown();
    EXPECT_EQ(items(), original);
    // Plank rewrites its docklets' files with their preferences itself; the applications' launchers
    // are Kestrine's to put back.
    auto applicationLaunchers = [&](std::map<std::string, std::string> found) {
        found.erase("clock.dockitem");
        return found;
    };
    EXPECT_EQ(applicationLaunchers(launcherFiles()), applicationLaunchers(files));
    EXPECT_EQ(launcherFiles().count("clock.dockitem"), 1u);
    EXPECT_TRUE(waitUntil([&] { return iconsOnScreen() == Names{"alpha", "beta", "gamma"}; }, 30s))
        << ::testing::PrintToString(iconsOnScreen());
    screenshot("plank-back");
    EXPECT_TRUE(terminate(*app)) << readText(errorLog());
}

} // namespace
