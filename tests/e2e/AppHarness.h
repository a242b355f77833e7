// Running the real kestrine program in a sandbox of its own: folders for HOME and the XDG
// variables, a Dock domain file, state files, processes started with a chosen environment, and
// bounded waits for conditions. Used by the end-to-end tests and the benchmarks.
#pragma once

#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <thread>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <nlohmann/json.hpp>

#include "core/plist/PlistCoding.h"
#include "core/plist/Value.h"
#include "core/support/AtomicFile.h"

extern char** environ;

namespace kestrine::e2e {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// Polls `condition` every `step` until it holds or `limit` has passed; true when it held.
/// A wait for an event, never a measurement.
inline bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds limit = 10s,
                      std::chrono::milliseconds step = 20ms) {
    for (const auto deadline = std::chrono::steady_clock::now() + limit;; std::this_thread::sleep_for(step)) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
    }
}

inline std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

/// The full path of `name` found along PATH, if any.
inline std::optional<fs::path> findExecutable(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (const fs::path candidate = fs::path(folder.empty() ? "." : folder) / name; ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    return std::nullopt;
}

/// How many lines the program printed with KESTRINE_TRACE_STARTUP=1 start with `marker`.
inline int countTraces(const fs::path& log, const std::string& marker) {
    const std::string text = readText(log), line = "kestrine-trace " + marker;
    int count = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + line.size())) ++count;
    return count;
}

/// A child process started with posix_spawn; killed when still running at destruction.
class Process {
public:
    Process(const fs::path& program, std::vector<std::string> arguments, std::vector<std::string> environment,
            const std::optional<fs::path>& output = std::nullopt, const std::optional<fs::path>& errors = std::nullopt) {
        arguments.insert(arguments.begin(), program.string());
        auto pointers = [](std::vector<std::string>& strings) {
            std::vector<char*> out;
            for (auto& s : strings) out.push_back(s.data());
            out.push_back(nullptr);
            return out;
        };
        auto args = pointers(arguments), env = pointers(environment);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        const std::string out = output ? output->string() : "/dev/null", err = errors ? errors->string() : "/dev/null";
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int result = posix_spawn(&pid_, program.c_str(), &actions, nullptr, args.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0) throw std::runtime_error("cannot start " + program.string() + ": " + std::strerror(result));
    }
    ~Process() {
        if (running() && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, &status_, 0);
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running() {
        if (!ended_ && ::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
        return !ended_;
    }
    void signal(int number) const { ::kill(pid_, number); }
    /// Waits (bounded) for the process to end; true when it did.
    bool waitForExit(std::chrono::milliseconds limit = 10s) { return waitUntil([this] { return !running(); }, limit, 10ms); }
    /// The exit status; -1 while running or when a signal ended it.
    int exitCode() const { return ended_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1; }
    bool exitedWith(int code) const { return exitCode() == code; }
    /// Ends the process with SIGTERM; true when it then exited with status 0.
    bool terminate() {
        signal(SIGTERM);
        return waitForExit() && exitedWith(0);
    }
    std::string describe() const { return ended_ ? "ended with wait status " + std::to_string(status_) : "still running"; }

private:
    pid_t pid_ = -1;
    int status_ = 0;
    bool ended_ = false;
};

/// What a command run to its end (bounded) gave: its exit code (-1 when it did not end by
/// itself), standard output and standard error.
struct CommandResult {
    int code = -1;
    std::string output, error;
};
inline CommandResult runCommand(const fs::path& program, const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment, const fs::path& scratch) {
    const fs::path out = scratch / ("command-" + std::to_string(::getpid()) + ".out"), err = fs::path(out) += ".err";
    fs::remove(out);
    fs::remove(err);
    CommandResult result;
    if (Process process(program, arguments, environment, out, err); process.waitForExit(20s)) result.code = process.exitCode();
    result.output = readText(out);
    result.error = readText(err);
    return result;
}

/// A Dock tile as the Dock writes one for the application bundle at `appPath`.
inline plist::Dictionary appTile(const std::string& bundleID, std::int64_t guid, const std::string& appPath) {
    plist::Dictionary fileData{{"_CFURLString", plist::Value("file://" + appPath + "/")}, {"_CFURLStringType", plist::Value(15)}};
    plist::Data book{'b', 'o', 'o', 'k', std::uint8_t(guid), std::uint8_t(guid >> 8), 0x00, 0xff, 0x7f};
    plist::Dictionary tileData{{"bundle-identifier", plist::Value(bundleID)}, {"file-label", plist::Value(fs::path(appPath).stem().string())},
                               {"file-data", plist::Value(fileData)}, {"book", plist::Value(book)}, {"file-type", plist::Value(41)},
                               {"file-mod-date", plist::Value(std::int64_t{3712345678})}};
    return {{"GUID", plist::Value(guid)}, {"tile-type", plist::Value("file-tile")}, {"tile-data", plist::Value(tileData)}};
}

/// The bundle identifiers of Dock tiles in order, "?" for a tile without one (a spacer).
inline std::vector<std::string> identities(const plist::Array& tiles) {
    std::vector<std::string> ids;
    for (const auto& tile : tiles) {
        const plist::Dictionary* t = tile.dictionary();
        const plist::Dictionary* data = t && t->count("tile-data") ? t->at("tile-data").dictionary() : nullptr;
        const std::string* id = data && data->count("bundle-identifier") ? data->at("bundle-identifier").string() : nullptr;
        ids.push_back(id ? *id : "?");
    }
    return ids;
}

/// A preset application as the state file and the exports hold one.
inline nlohmann::json presetApp(const std::string& id, const std::string& name, const std::string& path) {
    return {{"id", id}, {"name", name}, {"path", path}};
}

/// HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR in a fresh temporary folder.
class Sandbox {
public:
    Sandbox() {
        char pattern[] = "/tmp/kestrine-e2e-XXXXXX";
        if (!::mkdtemp(pattern)) throw std::runtime_error("cannot create a temporary folder");
        root = pattern;
        for (const fs::path& folder : {home(), dataHome(), configHome(), runtime(), bin()}) fs::create_directories(folder);
        fs::permissions(runtime(), fs::perms::owner_all, fs::perm_options::replace);
    }
    ~Sandbox() {
        std::error_code ignored;
        fs::remove_all(root, ignored);
    }

    fs::path root;
    fs::path home() const { return root / "home"; }
    fs::path dataHome() const { return root / "data"; }
    fs::path configHome() const { return root / "config"; }
    fs::path runtime() const { return root / "run"; }
    fs::path bin() const { return root / "bin"; }
    fs::path support() const { return dataHome() / "Kestrine"; }
    fs::path dockFile() const { return configHome() / "com.apple.dock.plist"; }
    fs::path stateFile() const { return support() / "state.json"; }
    fs::path onboardingFile() const { return support() / "onboarding.json"; }
    fs::path backups() const { return support() / "Backups"; }

    /// This process's environment with the sandbox's folders, start-up tracing, the X11
    /// platform plugin and the Dock preferences file as the dock (whatever desktop the tests
    /// run on); `overrides` ("NAME=value") replace variables of the same name.
    std::vector<std::string> environment(const std::vector<std::string>& overrides = {}) const {
        std::map<std::string, std::string> values{
            {"HOME", home().string()}, {"XDG_DATA_HOME", dataHome().string()}, {"XDG_CONFIG_HOME", configHome().string()},
            {"XDG_RUNTIME_DIR", runtime().string()}, {"KESTRINE_TRACE_STARTUP", "1"}, {"QT_QPA_PLATFORM", "xcb"},
            {"KESTRINE_DOCK", "file"}};
        for (const std::string& entry : overrides) {
            const auto eq = entry.find('=');
            values[entry.substr(0, eq)] = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        }
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e)
            if (const std::string entry(*e); !values.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
        for (const auto& [name, value] : values) env.push_back(name + "=" + value);
        return env;
    }

    void writeDock(const std::vector<plist::Dictionary>& tiles) const {
        const plist::Dictionary domain{{"persistent-apps", plist::Value(plist::Array(tiles.begin(), tiles.end()))},
                                       {"persistent-others", plist::Value(plist::Array{})},
                                       {"show-recents", plist::Value(true)},
                                       {"tilesize", plist::Value(std::int64_t{48})}};
        writeFileAtomically(dockFile(), plist::toBinary(plist::Value(domain)));
    }

    /// The Dock's persistent-apps as the file holds them now; empty when unreadable.
    plist::Array dockApps() const {
        try {
            const plist::Value domain = plist::parse(readText(dockFile()));
            const plist::Dictionary* d = domain.dictionary();
            const plist::Array* apps = d && d->count("persistent-apps") ? d->at("persistent-apps").array() : nullptr;
            return apps ? *apps : plist::Array{};
        } catch (const std::exception&) {
            return {};
        }
    }

    /// A state file in `folder` of the default preset "My Dock" and "Work" (id "work"), with
    /// the onboarding seen so that a login-item start shows no window.
    void writeTwoPresets(const fs::path& folder, const nlohmann::json& home, const nlohmann::json& work) const {
        auto preset = [](const std::string& id, const char* name, const char* emoji, const nlohmann::json& apps) {
            return nlohmann::json{{"id", id}, {"isDefault", id == "default"}, {"name", name}, {"emoji", emoji}, {"apps", apps},
                                  {"hiddenIDs", nlohmann::json::array()}};
        };
        const nlohmann::json state{{"activePresetID", "default"}, {"hidden", nlohmann::json::array()},
                                   {"storedTiles", nlohmann::json::array()},
                                   {"presets", {preset("default", "My Dock", "🏠", home), preset("work", "Work", "💼", work)}}};
        writeFileAtomically(folder / "state.json", state.dump(2));
        writeFileAtomically(onboardingFile(), R"({"hasSeenOnboarding":true})");
    }

    /// The active preset's id in the state file in `folder`; empty when unreadable.
    static std::string activePresetIn(const fs::path& folder) {
        const auto state = nlohmann::json::parse(readText(folder / "state.json"), nullptr, false);
        const auto id = state.is_object() ? state.find("activePresetID") : state.end();
        return id != state.end() && id->is_string() ? id->get<std::string>() : std::string();
    }

    /// A process named "Dock" (a copy of sleep) standing in for the Dock that killall ends.
    std::unique_ptr<Process> startFakeDock() const {
        const fs::path dock = bin() / "Dock";
        if (!fs::exists(dock)) fs::copy_file(fs::canonical(findExecutable("sleep").value()), dock);
        fs::permissions(dock, fs::perms::owner_all, fs::perm_options::replace);
        return std::make_unique<Process>(dock, std::vector<std::string>{"1000"}, environment());
    }
};

}  // namespace kestrine::e2e
