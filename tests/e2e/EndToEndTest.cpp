// The whole program, as a user meets it: started with its own home and Dock file under a real X
// server, driven with real key presses (xdotool), watched through the files it writes, the
// windows it shows and the trace lines it prints with KESTRINE_TRACE_STARTUP=1.
#include <QImage>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <csignal>

#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;

namespace {

const char* const alpha = "com.example.alpha";
const char* const beta = "com.example.beta";
const char* const gamma = "com.example.gamma";

std::string pathOf(const std::string& bundleID) {
    return "/Applications/" + bundleID.substr(bundleID.rfind('.') + 1) + ".app";
}

nlohmann::json appJSON(const std::string& bundleID) {
    return {{"id", bundleID}, {"name", bundleID.substr(bundleID.rfind('.') + 1)}, {"path", pathOf(bundleID)}};
}

std::optional<std::string> identity(const plist::Value& tile) {
    const auto* dictionary = tile.dictionary();
    if (!dictionary) return std::nullopt;
    const auto data = dictionary->find("tile-data");
    if (data == dictionary->end() || !data->second.dictionary()) return std::nullopt;
    const auto id = data->second.dictionary()->find("bundle-identifier");
    if (id == data->second.dictionary()->end() || !id->second.string()) return std::nullopt;
    return *id->second.string();
}

std::vector<std::string> identities(const plist::Array& tiles) {
    std::vector<std::string> out;
    for (const auto& tile : tiles) out.push_back(identity(tile).value_or("?"));
    return out;
}

struct Window {
    std::string id;
    int x = 0, y = 0, width = 0, height = 0;
};

// Finds the current preset's card in a picture of the settings window: the card is ringed in the
// accent colour, and its ring's top edge is the first long horizontal run of accent pixels.
std::optional<QRect> currentCardRing(const QImage& image) {
    auto isAccent = [](QRgb p) {
        auto near = [](int a, int b) { return std::abs(a - b) < 28; };
        return (near(qRed(p), 0x3B) && near(qGreen(p), 0x35) && near(qBlue(p), 0xA8)) ||
               (near(qRed(p), 0x8F) && near(qGreen(p), 0x8B) && near(qBlue(p), 0xF2));
    };
    for (int y = 0; y < image.height(); ++y) {
        int run = 0;
        for (int x = 0; x < image.width(); ++x) {
            run = isAccent(image.pixel(x, y)) ? run + 1 : 0;
            if (run >= 100) {
                int end = x;
                while (end + 1 < image.width() && isAccent(image.pixel(end + 1, y))) ++end;
                return QRect(QPoint(end - (run + (end - x)) + 1, y), QPoint(end, y + 1));
            }
        }
    }
    return std::nullopt;
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
        xdotool = findExecutable("xdotool");
        if (!xdotool) GTEST_SKIP() << "needs xdotool";
        if (!fs::exists("/usr/bin/killall")) GTEST_SKIP() << "needs /usr/bin/killall";
        box = std::make_unique<Sandbox>();
        originalTiles = {e2e::appTile(alpha, 11, pathOf(alpha)), e2e::appTile(beta, 12, pathOf(beta)),
                         e2e::spacerTile(13), e2e::appTile(gamma, 14, pathOf(gamma))};
        box->writeDock(originalTiles);
        originalApps = box->dockApps();
        ASSERT_EQ(originalApps.size(), 4u);
    }
    void TearDown() override {
        app.reset();
        box.reset();
    }

    fs::path errorLog() const { return box->root / "kestrine.err"; }

    std::unique_ptr<Process> startApp(const std::vector<std::string>& arguments = {}) {
        return std::make_unique<Process>(KESTRINE_EXECUTABLE, arguments, box->environment(overrides),
                                         box->root / "kestrine.out", errorLog());
    }

    int traceCount(const std::string& marker) const {
        const std::string log = readText(errorLog());
        const std::string line = "kestrine-trace " + marker;
        int count = 0;
        for (auto at = log.find(line); at != std::string::npos; at = log.find(line, at + line.size())) ++count;
        return count;
    }
    bool waitForTrace(const std::string& marker, int count = 1) {
        return waitUntil([&] { return traceCount(marker) >= count; });
    }

    CommandResult xdo(const std::vector<std::string>& arguments) {
        return runCommand(*xdotool, arguments, box->environment(overrides), box->root);
    }

    std::vector<Window> visibleWindows() {
        std::vector<Window> windows;
        std::stringstream ids(xdo({"search", "--onlyvisible", "--name", "^Kestrine$"}).output);
        std::string id;
        while (ids >> id) {
            Window w{id};
            std::stringstream shell(xdo({"getwindowgeometry", "--shell", id}).output);
            std::string line;
            while (std::getline(shell, line)) {
                const auto eq = line.find('=');
                if (eq == std::string::npos) continue;
                const std::string key = line.substr(0, eq);
                const int value = std::atoi(line.c_str() + eq + 1);
                if (key == "X") w.x = value;
                if (key == "Y") w.y = value;
                if (key == "WIDTH") w.width = value;
                if (key == "HEIGHT") w.height = value;
            }
            windows.push_back(w);
        }
        return windows;
    }
    // The settings window is the one at least its minimum width (the panel is a short strip).
    std::optional<Window> settingsWindow() {
        for (const Window& w : visibleWindows())
            if (w.width >= 680 && w.height >= 600) return w;
        return std::nullopt;
    }

    nlohmann::json state() const {
        try {
            return nlohmann::json::parse(readText(box->stateFile()));
        } catch (const std::exception&) {
            return nullptr;
        }
    }
    std::string activePresetID() const {
        const auto s = state();
        return s.is_object() && s.contains("activePresetID") && s["activePresetID"].is_string()
                   ? s["activePresetID"].get<std::string>()
                   : std::string();
    }

    // The default preset made of the Dock's applications in order, and "Work" with fewer.
    void prepareTwoPresets(const std::string& active, bool seenOnboarding) {
        nlohmann::json defaultPreset{{"apps", {appJSON(alpha), appJSON(beta), appJSON(gamma)}},
                                     {"emoji", "🏠"},
                                     {"hiddenIDs", nlohmann::json::array()},
                                     {"id", "default"},
                                     {"isDefault", true},
                                     {"name", "My Dock"}};
        nlohmann::json work{{"apps", {appJSON(gamma), appJSON(alpha)}},
                            {"emoji", "💼"},
                            {"hiddenIDs", nlohmann::json::array()},
                            {"id", "work"},
                            {"isDefault", false},
                            {"name", "Work"}};
        nlohmann::json file{{"activePresetID", active},
                            {"hidden", nlohmann::json::array()},
                            {"presets", {defaultPreset, work}},
                            {"storedTiles", nlohmann::json::array()}};
        writeFileAtomically(box->stateFile(), file.dump(2));
        if (seenOnboarding) writeFileAtomically(box->onboardingFile(), R"({"hasSeenOnboarding":true})");
    }

    int historyFiles() const {
        int n = 0;
        if (!fs::exists(box->backups())) return 0;
        for (const auto& entry : fs::directory_iterator(box->backups())) {
            const std::string name = entry.path().filename().string();
            if (name.rfind("dock-", 0) == 0 && entry.path().extension() == ".plist") ++n;
        }
        return n;
    }

    // Ends the program with SIGTERM; true when it exited normally with status 0.
    bool terminate(Process& process) {
        process.signal(SIGTERM);
        return process.waitForExit() && process.exitedWith(0);
    }

    // A signal during the debounce, in three steps. Only the settings window schedules a
    // debounced Dock write (the panel writes as it closes), so: start the program with its
    // window, click the other preset's card, and return as soon as the switch is in the state
    // file, before the 600 ms are up. True when the Dock file was still unwritten by then.
    bool switchInTheSettingsWindow(const std::string& from, const std::string& to) {
        EXPECT_EQ(activePresetID(), from);
        const plist::Array before = box->dockApps();
        fs::remove(errorLog());
        app = startApp();
        EXPECT_TRUE(waitForTrace("settings-shown")) << readText(errorLog());
        std::optional<Window> window;
        EXPECT_TRUE(waitUntil([&] { return (window = settingsWindow()).has_value(); }));
        if (!window) return false;
        std::optional<QRect> ring;
        EXPECT_TRUE(waitUntil([&] {
            const fs::path picture = box->root / "settings.png";
            fs::remove(picture);
            if (runCommand(*import, {"-window", window->id, picture.string()}, box->environment(overrides), box->root)
                    .code != 0)
                return false;
            return (ring = currentCardRing(QImage(QString::fromStdString(picture.string())))).has_value();
        })) << "no card ringed in the accent colour";
        if (!ring) return false;
        // Cards are laid out left to right: the default preset's first, then Work's.
        const int y = ring->top() + 50;
        const int x = from == "default" ? ring->right() + 60 : ring->left() - 60;
        EXPECT_EQ(xdo({"mousemove", "--window", window->id, std::to_string(x), std::to_string(y), "click", "1"}).code, 0);
        EXPECT_TRUE(waitUntil([&] { return activePresetID() == to; }, 10s, 5ms)) << "the click did not switch";
        return box->dockApps() == before;
    }
    std::vector<std::string> tilesOf(const std::string& preset) const {
        return preset == "work" ? std::vector<std::string>{gamma, alpha, "?"}
                                : std::vector<std::string>{alpha, beta, "?", gamma};
    }

    std::optional<fs::path> xdotool;
    std::optional<fs::path> import = findExecutable("import");
    // Variables that differ from the sandbox's environment (another display).
    std::vector<std::string> overrides;
    std::unique_ptr<Sandbox> box;
    std::vector<plist::Dictionary> originalTiles;
    plist::Array originalApps;
    std::unique_ptr<Process> app;
};

TEST_F(EndToEnd, TheFirstStartMakesTheDefaultPresetFromTheDockAndShowsTheSettings) {
    app = startApp();
    ASSERT_TRUE(waitForTrace("settings-shown")) << readText(errorLog());
    ASSERT_TRUE(waitUntil([&] { return settingsWindow().has_value(); }));

    const auto s = state();
    ASSERT_TRUE(s.is_object()) << readText(box->stateFile());
    EXPECT_EQ(s["activePresetID"], "default");
    ASSERT_EQ(s["presets"].size(), 1u);
    const auto& preset = s["presets"][0];
    EXPECT_EQ(preset["id"], "default");
    EXPECT_EQ(preset["isDefault"], true);
    std::vector<std::string> ids;
    for (const auto& a : preset["apps"]) ids.push_back(a["id"]);
    EXPECT_EQ(ids, (std::vector<std::string>{alpha, beta, gamma}));
    EXPECT_EQ(readText(box->onboardingFile()), R"({"hasSeenOnboarding":true})");
    // Starting changes nothing in the Dock.
    EXPECT_EQ(box->dockApps(), originalApps);
    EXPECT_TRUE(fs::exists(box->runtime() / "kestrine.socket"));

    EXPECT_TRUE(terminate(*app)) << app->describe();
    EXPECT_FALSE(fs::exists(box->runtime() / "kestrine.socket")) << "the socket goes with the process";
}

TEST_F(EndToEnd, SwitchingFromThePanelRewritesTheDockAndSwitchingBackRestoresTheVerySameTiles) {
    prepareTwoPresets("default", true);
    app = startApp({"--login-item"});
    ASSERT_TRUE(waitForTrace("launched")) << readText(errorLog());
    EXPECT_FALSE(settingsWindow()) << "a login-item start after onboarding shows no window";

    // Ctrl-Alt-D, then 2: the second preset.
    auto dock = box->startFakeDock();
    ASSERT_EQ(xdo({"key", "ctrl+alt+d"}).code, 0);
    ASSERT_TRUE(waitForTrace("panel-shown")) << readText(errorLog());
    ASSERT_EQ(xdo({"key", "2"}).code, 0);
    ASSERT_TRUE(waitUntil([&] { return !dock->running(); })) << "the Dock was not restarted";
    EXPECT_TRUE(dock->killedBy(SIGTERM)) << dock->describe();

    const plist::Array switched = box->dockApps();
    EXPECT_EQ(identities(switched), (std::vector<std::string>{gamma, alpha, "?"}));
    ASSERT_EQ(switched.size(), 3u);
    // The tiles that stay are the Dock's own dictionaries, GUID and book included; the spacer
    // keeps its place.
    EXPECT_EQ(switched[0], originalApps[3]);
    EXPECT_EQ(switched[1], originalApps[0]);
    EXPECT_EQ(switched[2], originalApps[2]);
    EXPECT_TRUE(fs::exists(box->backups() / "original.plist"));
    EXPECT_EQ(historyFiles(), 1);
    EXPECT_EQ(activePresetID(), "work");
    EXPECT_TRUE(waitUntil([&] { return visibleWindows().empty(); })) << "the panel closes after a choice";

    // Back to the first preset: the Dock holds exactly what it held before.
    dock = box->startFakeDock();
    ASSERT_EQ(xdo({"key", "ctrl+alt+d"}).code, 0);
    ASSERT_TRUE(waitForTrace("panel-shown", 2));
    ASSERT_EQ(xdo({"key", "1"}).code, 0);
    ASSERT_TRUE(waitUntil([&] { return !dock->running(); }));
    EXPECT_EQ(box->dockApps(), originalApps);
    EXPECT_EQ(activePresetID(), "default");
    EXPECT_EQ(historyFiles(), 2);

    EXPECT_TRUE(terminate(*app)) << app->describe();
    EXPECT_EQ(traceCount("signal-flush idle"), 1) << "nothing was left to write";
}

TEST_F(EndToEnd, EscapeClosesThePanelWithoutTouchingTheDock) {
    prepareTwoPresets("default", true);
    app = startApp({"--login-item"});
    ASSERT_TRUE(waitForTrace("launched"));
    ASSERT_EQ(xdo({"key", "ctrl+alt+d"}).code, 0);
    ASSERT_TRUE(waitForTrace("panel-shown"));
    ASSERT_TRUE(waitUntil([&] { return !visibleWindows().empty(); }));
    ASSERT_EQ(xdo({"key", "Right", "Escape"}).code, 0);
    ASSERT_TRUE(waitUntil([&] { return visibleWindows().empty(); }));
    EXPECT_EQ(box->dockApps(), originalApps);
    EXPECT_EQ(activePresetID(), "default");
    EXPECT_FALSE(fs::exists(box->backups()));
    EXPECT_TRUE(terminate(*app)) << app->describe();
}

TEST_F(EndToEnd, ASecondStartEndsAtOnceAndBringsUpTheRunningInstancesWindow) {
    prepareTwoPresets("default", true);
    app = startApp({"--login-item"});
    ASSERT_TRUE(waitForTrace("launched"));
    EXPECT_FALSE(settingsWindow());

    Process second(KESTRINE_EXECUTABLE, {}, box->environment(), std::nullopt, box->root / "second.err");
    ASSERT_TRUE(second.waitForExit());
    EXPECT_TRUE(second.exitedWith(0)) << second.describe() << ": " << readText(box->root / "second.err");

    EXPECT_TRUE(waitUntil([&] { return settingsWindow().has_value(); })) << "the running instance shows its window";
    EXPECT_TRUE(app->running());
    EXPECT_EQ(traceCount("launched"), 1) << "only one instance started";
    EXPECT_TRUE(terminate(*app)) << app->describe();
}

// SIGTERM while the settings window's debounce holds a Dock write: the program writes it before
// it ends. The program reports what the flush it does on the signal found, so "signal-flush
// wrote" proves the Dock was written by the signal's path, not by the timer. On a machine too
// slow to get the signal in within the 600 ms the timer wins; that round proves nothing and the
// switch is tried again the other way.
TEST_F(EndToEnd, SIGTERMDuringTheDebounceStillWritesTheDockAndExitsCleanly) {
    if (!import) GTEST_SKIP() << "needs ImageMagick's import to find the card";
    prepareTwoPresets("default", true);
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        const std::string from = round % 2 == 0 ? "default" : "work";
        const std::string to = round % 2 == 0 ? "work" : "default";
        const bool pending = switchInTheSettingsWindow(from, to);
        ASSERT_FALSE(HasFatalFailure());
        app->signal(SIGTERM);
        ASSERT_TRUE(app->waitForExit());
        EXPECT_TRUE(app->exitedWith(0)) << app->describe();
        EXPECT_EQ(identities(box->dockApps()), tilesOf(to));
        if (pending && traceCount("signal-flush wrote") == 1) return;
        ASSERT_EQ(traceCount("signal-flush idle"), 1) << readText(errorLog());
    }
    GTEST_SKIP() << "the debounce fired before the signal arrived in every round: this machine is too slow";
}

// The X server going away (a logout) ends the program from inside Qt, without returning from its
// event loop; pending Dock work is still written on the way out. The program runs on an X server
// of its own here, which the test then ends.
TEST_F(EndToEnd, TheDisplayGoingAwayStillWritesPendingDockWork) {
    if (!import) GTEST_SKIP() << "needs ImageMagick's import to find the card";
    const auto xvfb = findExecutable("Xvfb");
    if (!xvfb) GTEST_SKIP() << "needs Xvfb";
    prepareTwoPresets("default", true);
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

        const std::string from = round % 2 == 0 ? "default" : "work";
        const std::string to = round % 2 == 0 ? "work" : "default";
        const bool pending = switchInTheSettingsWindow(from, to);
        ASSERT_FALSE(HasFatalFailure());
        server.signal(SIGTERM);
        ASSERT_TRUE(server.waitForExit());
        ASSERT_TRUE(app->waitForExit());
        EXPECT_TRUE(app->exitedNormally()) << app->describe();
        EXPECT_EQ(identities(box->dockApps()), tilesOf(to));
        app.reset();
        if (pending && traceCount("exit-flush wrote") == 1) return;
        ASSERT_EQ(traceCount("exit-flush idle"), 1) << readText(errorLog());
    }
    GTEST_SKIP() << "the debounce fired before the server went away in every round: this machine is too slow";
}

}  // namespace
