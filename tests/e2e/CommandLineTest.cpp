// The command line as a script meets it: "kestrine list", "activate", "export", ... run as
// separate processes against a sandboxed home, with and without a running instance, checked by
// exit status, output and the files they leave.
#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>

#include <sys/file.h>
#include <sys/socket.h>
#include <sys/un.h>

#include "tests/e2e/AppHarness.h"

using namespace kestrine;
using namespace kestrine::e2e;
using nlohmann::json;

namespace {

struct Outcome {
    int code = -1;
    std::string out, err;
};

json appJSON(const std::string& id) {
    const std::string name = id.substr(id.rfind('.') + 1);
    return {{"id", id}, {"name", name}, {"path", "/Applications/" + name + ".app"}};
}

class CommandLine : public ::testing::Test {
protected:
    void SetUp() override {
        box.writeDock({appTile("com.example.alpha", 11, "/Applications/alpha.app"),
                       appTile("com.example.beta", 12, "/Applications/beta.app")});
    }

    Outcome kestrine(const std::vector<std::string>& arguments, Sandbox* in = nullptr) {
        Sandbox& sandbox = in ? *in : box;
        const fs::path out = sandbox.root / "cmd.out", err = sandbox.root / "cmd.err";
        fs::remove(out);
        fs::remove(err);
        Process process(KESTRINE_EXECUTABLE, arguments, sandbox.environment({"KESTRINE_TRACE_STARTUP=", "XDG_CURRENT_DESKTOP="}), out, err);
        Outcome run;
        if (!process.waitForExit(20s)) return run;
        for (int code = 0; code < 256; ++code)
            if (process.exitedWith(code)) run.code = code;
        run.out = readText(out);
        run.err = readText(err);
        return run;
    }

    // The default preset of the two Dock applications (active) and "Work" with one.
    void writeTwoPresets(Sandbox& sandbox) {
        json file{{"activePresetID", "default"},
                  {"hidden", json::array()},
                  {"storedTiles", json::array()},
                  {"presets",
                   {{{"id", "default"}, {"isDefault", true}, {"name", "My Dock"}, {"emoji", "🏠"},
                     {"apps", {appJSON("com.example.alpha"), appJSON("com.example.beta")}}},
                    {{"id", "work"}, {"isDefault", false}, {"name", "Work"}, {"emoji", "💼"},
                     {"apps", {appJSON("com.example.beta")}}}}}};
        writeFileAtomically(sandbox.stateFile(), file.dump(2));
        writeFileAtomically(sandbox.onboardingFile(), R"({"hasSeenOnboarding":true})");
    }

    std::vector<std::string> dockIDs(Sandbox& sandbox) {
        std::vector<std::string> ids;
        for (const auto& tile : sandbox.dockApps()) {
            const auto& data = *tile.dictionary()->at("tile-data").dictionary();
            ids.push_back(*data.at("bundle-identifier").string());
        }
        return ids;
    }

    json list(Sandbox* in = nullptr) {
        const Outcome run = kestrine({"list", "--json"}, in);
        EXPECT_EQ(run.code, 0) << run.err;
        return json::parse(run.out, nullptr, false);
    }

    Sandbox box;
};

TEST_F(CommandLine, WrongUsageExitsWithTwoAndTheUsageAndTouchesNothing) {
    struct Case {
        std::vector<std::string> arguments;
        std::string says;
    };
    const std::vector<Case> cases{
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
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.front());
        const Outcome run = kestrine(c.arguments);
        EXPECT_EQ(run.code, 2);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_NE(run.err.find("Usage: kestrine"), std::string::npos);
        EXPECT_TRUE(run.out.empty());
    }
    EXPECT_FALSE(fs::exists(box.support())) << "a usage error starts nothing";
    EXPECT_EQ(kestrine({"--help"}).code, 0);
}

TEST_F(CommandLine, WithNoInstanceRunningCommandsWorkOnTheFilesAndEnd) {
    writeTwoPresets(box);
    const json presets = list();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0], (json{{"number", 1}, {"name", "My Dock"}, {"emoji", "🏠"}, {"apps", 2}, {"active", true}}));
    EXPECT_EQ(presets[1]["active"], false);

    struct Case {
        std::string preset;
        int code;
        std::vector<std::string> dock;
        std::string says;
    };
    const std::vector<Case> cases{
        {"work", 0, {"com.example.beta"}, ""},  // name, ignoring case
        {"1", 0, {"com.example.alpha", "com.example.beta"}, ""},
        {"Work", 0, {"com.example.beta"}, ""},
        {"Home", 1, {"com.example.beta"}, "no preset is named 'Home'; there are: 1 My Dock, 2 Work"},
        {"3", 1, {"com.example.beta"}, "no preset is named '3'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.preset);
        const Outcome run = kestrine({"activate", c.preset});
        EXPECT_EQ(run.code, c.code) << run.err;
        EXPECT_EQ(dockIDs(box), c.dock);
        if (!c.says.empty()) {
            EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        }
    }
    EXPECT_EQ(list()[1]["active"], true);

    const Outcome status = kestrine({"status", "--json"});
    ASSERT_EQ(status.code, 0) << status.err;
    const json s = json::parse(status.out);
    EXPECT_EQ(s["activePreset"], "Work");
    EXPECT_EQ(s["running"], false);
    EXPECT_EQ(s["shortcut"]["registered"], false);
    EXPECT_EQ(s["supportDirectory"], box.support().string());

    // Restore asks first; with no answer (standard input is empty) nothing is restored.
    EXPECT_EQ(kestrine({"restore-original"}).code, 1);
    EXPECT_EQ(dockIDs(box), std::vector<std::string>{"com.example.beta"});
    const Outcome restored = kestrine({"restore-original", "--yes"});
    EXPECT_EQ(restored.code, 0) << restored.err;
    EXPECT_EQ(dockIDs(box), (std::vector<std::string>{"com.example.alpha", "com.example.beta"}));
    EXPECT_EQ(list()[0]["active"], true);
}

TEST_F(CommandLine, ExportThenImportIntoAFreshInstallationGivesTheSamePresets) {
    writeTwoPresets(box);
    const fs::path file = box.root / "presets.json";
    ASSERT_EQ(kestrine({"export", "-o", file.string()}).code, 0);
    const json exported = json::parse(readText(file));
    EXPECT_EQ(exported["format"], "kestrine-presets");
    EXPECT_FALSE(exported.dump().find("storedTiles") != std::string::npos);
    // Named presets only; to standard output without -o.
    const Outcome one = kestrine({"export", "work"});
    ASSERT_EQ(one.code, 0);
    EXPECT_EQ(json::parse(one.out)["presets"], json::array({exported["presets"][1]}));

    Sandbox fresh;
    fresh.writeDock({appTile("com.example.gamma", 21, "/Applications/gamma.app")});
    const Outcome imported = kestrine({"import", file.string()}, &fresh);
    ASSERT_EQ(imported.code, 0) << imported.err;
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
    EXPECT_EQ(dockIDs(fresh), std::vector<std::string>{"com.example.gamma"}) << "importing does not switch";
}

TEST_F(CommandLine, ABadFileIsRefusedWithNothingChanged) {
    writeTwoPresets(box);
    ASSERT_EQ(kestrine({"list"}).code, 0);  // the state as a run leaves it
    const std::string before = readText(box.stateFile());
    const json good{{"format", "kestrine-presets"}, {"version", 1},
                    {"presets", {{{"name", "Fine"}, {"emoji", "✅"}, {"apps", json::array()}}}}};
    auto with = [&](const std::string& pointer, const json& value) {
        json file = good;
        file[json::json_pointer(pointer)] = value;
        return file.dump();
    };
    struct Case {
        std::string name, text, says;
    };
    const std::vector<Case> cases{
        {"other format", with("/format", "dock-profiles"), "not a Kestrine preset export"},
        {"other version", with("/version", 2), "version 2 is not supported"},
        {"malformed", "{\"format\": \"kestrine-presets\", ", "not JSON"},
        {"no name", with("/presets/0/name", " "), "preset 1 has no name"},
        {"app without id", with("/presets/0/apps", json::array({{{"name", "x"}}})), "application 1"},
        {"later preset bad", with("/presets/1", 7), "preset 2 is not an object"},
    };
    const fs::path file = box.root / "bad.json";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileAtomically(file, c.text);
        const Outcome run = kestrine({"import", file.string()});
        EXPECT_EQ(run.code, 1);
        EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << "one line: " << run.err;
        EXPECT_EQ(readText(box.stateFile()), before);
    }
    EXPECT_EQ(kestrine({"import", (box.root / "missing.json").string()}).code, 1);
    EXPECT_EQ(readText(box.stateFile()), before);
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

    const Outcome run = kestrine({"list"});
    EXPECT_EQ(run.code, 1);
    EXPECT_NE(run.err.find("did not answer"), std::string::npos) << run.err;
    ::close(server);
    ::close(lock);
}

// The running instance answers; its state, its files and its windows follow at once.
TEST_F(CommandLine, WithAnInstanceRunningItAnswersAndItsWindowsFollow) {
    if (!std::getenv("DISPLAY")) GTEST_SKIP() << "needs an X display (run under xvfb-run)";
    const auto xdotool = findExecutable("xdotool");
    if (!xdotool) GTEST_SKIP() << "needs xdotool";
    writeTwoPresets(box);
    // "panel" with none running starts the application and shows the panel.
    const fs::path log = box.root / "app.err";
    Process app(KESTRINE_EXECUTABLE, {"panel"}, box.environment({"XDG_CURRENT_DESKTOP="}), std::nullopt, log);
    ASSERT_TRUE(waitUntil([&] { return readText(log).find("kestrine-trace panel-shown") != std::string::npos; }))
        << readText(log);
    auto visible = [&] {
        return runCommand(*xdotool, {"search", "--onlyvisible", "--name", "^Kestrine$"}, box.environment(), box.root)
            .output;
    };
    EXPECT_FALSE(visible().empty());

    // A second "panel" toggles it off in the running instance.
    EXPECT_EQ(kestrine({"panel"}).code, 0);
    EXPECT_TRUE(waitUntil([&] { return visible().empty(); }));

    const Outcome activated = kestrine({"activate", "Work"});
    EXPECT_EQ(activated.code, 0) << activated.err;
    // Written before the command ended: no waiting for the debounce.
    EXPECT_EQ(dockIDs(box), std::vector<std::string>{"com.example.beta"});
    EXPECT_EQ(json::parse(readText(box.stateFile()))["activePresetID"], "work");
    EXPECT_EQ(list()[1]["active"], true);
    EXPECT_NE(kestrine({"activate", "Nope"}).err.find("there are: 1 My Dock, 2 Work"), std::string::npos);

    const Outcome status = kestrine({"status", "--json"});
    ASSERT_EQ(status.code, 0);
    EXPECT_EQ(json::parse(status.out)["running"], true);
    EXPECT_EQ(json::parse(status.out)["shortcut"]["registered"], true);

    const fs::path file = box.root / "out.json";
    ASSERT_EQ(kestrine({"export", "work", "-o", file.string()}).code, 0);
    ASSERT_EQ(kestrine({"import", file.string()}).code, 0);
    EXPECT_EQ(list().back()["name"], "Work 2");
    EXPECT_EQ(json::parse(readText(box.stateFile()))["presets"].size(), 3u) << "the instance saved it";

    EXPECT_EQ(kestrine({"settings"}).code, 0);
    EXPECT_TRUE(waitUntil([&] { return !visible().empty(); })) << "the settings window shows";
    EXPECT_EQ(kestrine({"--dock=file", "list"}).code, 0);
    const Outcome otherDock = kestrine({"--dock=gnome", "list"});
    EXPECT_EQ(otherDock.code, 1);
    EXPECT_NE(otherDock.err.find("manages the file dock"), std::string::npos) << otherDock.err;
    EXPECT_EQ(kestrine({"frobnicate"}).code, 2);

    app.signal(SIGTERM);
    EXPECT_TRUE(app.waitForExit());
    EXPECT_TRUE(app.exitedWith(0)) << app.describe();
}

}  // namespace
