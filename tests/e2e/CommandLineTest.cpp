// The command line as a script meets it: "kestrine list", "activate", "export", ... run as
// separate processes against a sandboxed home, with and without a running instance, checked by
// exit status, output and the files they leave.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using nlohmann::json;

namespace {

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

class CommandLine : public ::testing::Test {
protected:
    // The Dock of alpha and beta; the default preset of both (active) and "Work" of beta.
    void SetUp() override {
        box.writeDock({appTile("com.example.alpha", 11, "/Applications/alpha.app"), appTile("com.example.beta", 12, "/Applications/beta.app")});
        both = box.dockApps();
        box.writeTwoPresets(box.support(), json::array({bundleApp("alpha"), bundleApp("beta")}), json::array({bundleApp("beta")}));
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
    EXPECT_EQ(list()[1]["active"], true);
    EXPECT_TRUE(has(kestrine({"activate", "Nope"}).error, "there are: 1 My Dock, 2 Work"));
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
