// The command line as a script meets it: "kestrine list", "activate", "export", ... run as
// separate processes against a sandboxed home, with and without a running instance, checked by
// exit status, output and the files they leave.
#include <gtest/gtest.h>

#include <algorithm>

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using nlohmann::json;
using Names = std::vector<std::string>;

namespace {

json app(const std::string& name) { return presetApp("com.example." + name, name, "/Applications/" + name + ".app"); }

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        box.writeDock({appTile("com.example.alpha", 11, "/Applications/alpha.app"),
                       appTile("com.example.beta", 12, "/Applications/beta.app")});
    }
    // The default preset of the two Dock applications (active) and "Work" of beta.
    void writePresets() { box.writeTwoPresets(box.support(), json::array({app("alpha"), app("beta")}), json::array({app("beta")})); }

    CommandResult kestrine(const Names& arguments, const Sandbox* in = nullptr) {
        const Sandbox& sandbox = in ? *in : box;
        return runCommand(KESTRINE_EXECUTABLE, arguments,
                          sandbox.environment({"KESTRINE_TRACE_STARTUP=", "XDG_CURRENT_DESKTOP="}), sandbox.root);
    }
    json list(const Sandbox* in = nullptr) {
        const CommandResult run = kestrine({"list", "--json"}, in);
        EXPECT_EQ(run.code, 0) << run.error;
        return json::parse(run.output, nullptr, false);
    }
    Names dock() const { return identities(box.dockApps()); }

    Sandbox box;
};

TEST_F(CommandLine, WrongUsageExitsWithTwoAndTheUsageAndTouchesNothing) {
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
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.error.find(says), std::string::npos) << run.error;
        EXPECT_NE(run.error.find("Usage: kestrine"), std::string::npos);
        EXPECT_TRUE(run.output.empty());
    }
    EXPECT_FALSE(fs::exists(box.support())) << "a usage error starts nothing";
    EXPECT_EQ(kestrine({"--help"}).code, 0);
}

TEST_F(CommandLine, WithNoInstanceRunningCommandsWorkOnTheFilesAndEnd) {
    writePresets();
    const json presets = list();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0], (json{{"number", 1}, {"name", "My Dock"}, {"emoji", "🏠"}, {"apps", 2}, {"active", true}}));
    EXPECT_EQ(presets[1]["active"], false);

    struct Row {
        std::string preset;
        int code;
        Names dock;
        std::string says;
    };
    const Row rows[] = {
        {"2", 0, {"com.example.beta"}, ""},  // the last number
        {"1", 0, {"com.example.alpha", "com.example.beta"}, ""},
        {"work", 0, {"com.example.beta"}, ""},  // a name, ignoring case
        {"Home", 1, {"com.example.beta"}, "no preset is named 'Home'; there are: 1 My Dock, 2 Work"},
        {"3", 1, {"com.example.beta"}, "no preset is named '3'"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.preset);
        const CommandResult run = kestrine({"activate", row.preset});
        EXPECT_EQ(run.code, row.code) << run.error;
        EXPECT_EQ(dock(), row.dock);
        EXPECT_NE(run.error.find(row.says), std::string::npos) << run.error;
    }
    EXPECT_EQ(list()[1]["active"], true);

    const CommandResult status = kestrine({"status", "--json"});
    ASSERT_EQ(status.code, 0) << status.error;
    const json s = json::parse(status.output, nullptr, false);
    EXPECT_EQ(s["activePreset"], "Work");
    EXPECT_EQ(s["running"], false);
    EXPECT_EQ(s["shortcut"]["registered"], false);
    EXPECT_EQ(s["supportDirectory"], box.support().string());

    // Restore asks first; with no answer (standard input is empty) nothing is restored.
    EXPECT_EQ(kestrine({"restore-original"}).code, 1);
    EXPECT_EQ(dock(), Names{"com.example.beta"});
    EXPECT_EQ(kestrine({"restore-original", "--yes"}).code, 0);
    EXPECT_EQ(dock(), (Names{"com.example.alpha", "com.example.beta"}));
    EXPECT_EQ(list()[0]["active"], true);
}

TEST_F(CommandLine, ExportThenImportIntoAFreshInstallationGivesTheSamePresets) {
    writePresets();
    const fs::path file = box.root / "presets.json";
    ASSERT_EQ(kestrine({"export", "-o", file.string()}).code, 0);
    const json exported = json::parse(readText(file));
    EXPECT_EQ(exported["format"], "kestrine-presets");
    EXPECT_EQ(exported.dump().find("storedTiles"), std::string::npos);
    // Named presets only; to standard output without -o.
    const CommandResult one = kestrine({"export", "work"});
    ASSERT_EQ(one.code, 0);
    EXPECT_EQ(json::parse(one.output)["presets"], json::array({exported["presets"][1]}));

    Sandbox fresh;
    fresh.writeDock({appTile("com.example.gamma", 21, "/Applications/gamma.app")});
    const CommandResult imported = kestrine({"import", file.string()}, &fresh);
    ASSERT_EQ(imported.code, 0) << imported.error;
    const json state = json::parse(readText(fresh.stateFile()));
    // The fresh default preset (its own Dock), then the two imported; taken names are numbered.
    ASSERT_EQ(state["presets"].size(), 3u);
    for (int i : {1, 2}) {
        const json& p = state["presets"][i];
        const json& source = exported["presets"][i - 1];
        EXPECT_EQ(p["name"], source["name"] == "My Dock" ? "My Dock 2" : source["name"]);
        EXPECT_EQ(p["emoji"], source["emoji"]);
        EXPECT_EQ(p["apps"], source["apps"]) << "applications that are not installed are kept";
    }
    ASSERT_EQ(kestrine({"import", file.string()}, &fresh).code, 0);
    const json again = list(&fresh);
    ASSERT_EQ(again.size(), 5u);
    EXPECT_EQ(again[4]["name"], "Work 2");
    EXPECT_EQ(identities(fresh.dockApps()), Names{"com.example.gamma"}) << "importing does not switch";
}

TEST_F(CommandLine, ABadFileIsRefusedWithNothingChanged) {
    writePresets();
    ASSERT_EQ(kestrine({"list"}).code, 0);  // the state as a run leaves it
    const std::string before = readText(box.stateFile());
    const json good{{"format", "kestrine-presets"}, {"version", 1},
                    {"presets", {{{"name", "Fine"}, {"emoji", "✅"}, {"apps", json::array()}}}}};
    auto with = [&](const std::string& pointer, const json& value) {
        json file = good;
        file[json::json_pointer(pointer)] = value;
        return file.dump();
    };
    const std::pair<std::string, std::string> rows[] = {
        {with("/format", "dock-profiles"), "not a Kestrine preset export"},
        {with("/version", 2), "version 2 is not supported"},
        {"{\"format\": \"kestrine-presets\", ", "not JSON"},
        {with("/presets/0/name", " "), "preset 1 has no name"},
        {with("/presets/0/apps", json::array({{{"name", "x"}}})), "application 1"},
        {with("/presets/1", 7), "preset 2 is not an object"},
        {"", "cannot read"},  // no such file
    };
    for (const auto& [text, says] : rows) {
        SCOPED_TRACE(says);
        const fs::path file = box.root / (text.empty() ? "missing.json" : "bad.json");
        if (!text.empty()) writeFileAtomically(file, text);
        const CommandResult run = kestrine({"import", file.string()});
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.error.find(says), std::string::npos) << run.error;
        EXPECT_EQ(std::count(run.error.begin(), run.error.end(), '\n'), 1) << "one line: " << run.error;
        EXPECT_EQ(readText(box.stateFile()), before);
    }
}

TEST_F(CommandLine, AnInstanceThatDoesNotAnswerEndsTheCommandWithOne) {
    // Holds the lock and a socket that accepts but never replies.
    const int lock = ::open((box.runtime() / "kestrine.lock").c_str(), O_RDWR | O_CREAT, 0600);
    ASSERT_EQ(::flock(lock, LOCK_EX), 0);
    const int server = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string path = (box.runtime() / "kestrine.socket").string();
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    ASSERT_EQ(::bind(server, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ASSERT_EQ(::listen(server, 4), 0);
    const CommandResult run = kestrine({"list"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.error.find("did not answer"), std::string::npos) << run.error;
    ::close(server);
    ::close(lock);
}

// The running instance answers; its state, its files and its windows follow at once.
TEST_F(CommandLine, WithAnInstanceRunningItAnswersAndItsWindowsFollow) {
    const auto xdotool = findExecutable("xdotool");
    if (!std::getenv("DISPLAY") || !xdotool) GTEST_SKIP() << "needs an X display (run under xvfb-run) and xdotool";
    writePresets();
    // "panel" with none running starts the application and shows the panel.
    const fs::path log = box.root / "app.err";
    Process app(KESTRINE_EXECUTABLE, {"panel"}, box.environment({"XDG_CURRENT_DESKTOP="}), std::nullopt, log);
    ASSERT_TRUE(waitUntil([&] { return countTraces(log, "panel-shown") > 0; })) << readText(log);
    auto visible = [&] {
        return runCommand(*xdotool, {"search", "--onlyvisible", "--name", "^Kestrine$"}, box.environment(), box.root).output;
    };
    EXPECT_FALSE(visible().empty());
    // A second "panel" toggles it off in the running instance.
    EXPECT_EQ(kestrine({"panel"}).code, 0);
    EXPECT_TRUE(waitUntil([&] { return visible().empty(); }));

    const CommandResult activated = kestrine({"activate", "Work"});
    EXPECT_EQ(activated.code, 0) << activated.error;
    // Written before the command ended: no waiting for the debounce.
    EXPECT_EQ(dock(), Names{"com.example.beta"});
    EXPECT_EQ(Sandbox::activePresetIn(box.support()), "work");
    EXPECT_EQ(list()[1]["active"], true);
    EXPECT_NE(kestrine({"activate", "Nope"}).error.find("there are: 1 My Dock, 2 Work"), std::string::npos);

    const CommandResult status = kestrine({"status", "--json"});
    ASSERT_EQ(status.code, 0);
    EXPECT_EQ(json::parse(status.output)["running"], true);
    EXPECT_EQ(json::parse(status.output)["shortcut"]["registered"], true);

    const fs::path file = box.root / "out.json";
    ASSERT_EQ(kestrine({"export", "work", "-o", file.string()}).code, 0);
    ASSERT_EQ(kestrine({"import", file.string()}).code, 0);
    EXPECT_EQ(list().back()["name"], "Work 2");
    EXPECT_EQ(json::parse(readText(box.stateFile()))["presets"].size(), 3u) << "the instance saved it";

    EXPECT_EQ(kestrine({"settings"}).code, 0);
    EXPECT_TRUE(waitUntil([&] { return !visible().empty(); })) << "the settings window shows";
    EXPECT_EQ(kestrine({"--dock=file", "list"}).code, 0);
    const CommandResult otherDock = kestrine({"--dock=gnome", "list"});
    EXPECT_EQ(otherDock.code, 1);
    EXPECT_NE(otherDock.error.find("manages the file dock"), std::string::npos) << otherDock.error;
    EXPECT_EQ(kestrine({"frobnicate"}).code, 2);
    EXPECT_TRUE(app.terminate()) << app.describe();
}

}  // namespace
