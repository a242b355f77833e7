// Running the real kestrine program in a sandbox of its own: folders for HOME and the XDG
// variables, a Dock domain file, state files, processes started with a chosen environment, and
// bounded waits for conditions. Used by the end-to-end tests and the benchmarks.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
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
using Names = std::vector<std::string>;

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
    std::stringstream folders(std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');)
        if (const fs::path candidate = fs::path(folder.empty() ? "." : folder) / name; ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    return std::nullopt;
}

/// How many lines the program printed with KESTRINE_TRACE_STARTUP=1 start with `marker`.
inline int countTraces(const fs::path& log, const std::string& marker) {
    std::stringstream lines(readText(log));
    int count = 0;
    for (std::string line; std::getline(lines, line);) count += line.rfind("kestrine-trace " + marker, 0) == 0;
    return count;
}

/// A child process started with posix_spawn; killed when still running at destruction.
class Process {
public:
    Process(const Process&) = delete;  // two owners would both end the process
    Process& operator=(const Process&) = delete;
    Process(const fs::path& program, Names arguments, Names environment, const std::optional<fs::path>& output = std::nullopt,
            const std::optional<fs::path>& errors = std::nullopt) {
        arguments.insert(arguments.begin(), program.string());
        std::vector<char*> args, env;  // the strings' own characters, each list ending in a null pointer
        for (auto [strings, pointers] : {std::pair(&arguments, &args), std::pair(&environment, &env)}) {
            for (std::string& s : *strings) pointers->push_back(s.data());
            pointers->push_back(nullptr);
        }
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        for (const auto& [fd, file] : {std::pair(STDOUT_FILENO, output), std::pair(STDERR_FILENO, errors)})
            posix_spawn_file_actions_addopen(&actions, fd, file ? file->c_str() : "/dev/null", O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int result = posix_spawn(&pid_, program.c_str(), &actions, nullptr, args.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0) throw std::runtime_error("cannot start " + program.string() + ": " + std::strerror(result));
    }
    ~Process() {
        if (running() && ::kill(pid_, SIGKILL) == 0) ::waitpid(pid_, &status_, 0);
    }

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
inline CommandResult runCommand(const fs::path& program, const Names& arguments, const Names& environment, const fs::path& scratch) {
    const fs::path out = scratch / ("command-" + std::to_string(::getpid()) + ".out"), err = fs::path(out) += ".err";
    for (const fs::path& file : {out, err}) fs::remove(file);
    Process process(program, arguments, environment, out, err);
    const int code = process.waitForExit(20s) ? process.exitCode() : -1;
    return {code, readText(out), readText(err)};
}

/// A Dock tile as the Dock writes one for the application bundle at `appPath`.
inline plist::Dictionary appTile(const std::string& bundleID, std::int64_t guid, const std::string& appPath) {
    plist::Dictionary fileData{{"_CFURLString", plist::Value("file://" + appPath + "/")}, {"_CFURLStringType", plist::Value(15)}};
    plist::Data book{'b', 'o', 'o', 'k', std::uint8_t(guid), std::uint8_t(guid >> 8), 0x00, 0xff, 0x7f};
    plist::Dictionary tileData{{"bundle-identifier", plist::Value(bundleID)}, {"file-label", plist::Value(fs::path(appPath).stem().string())},
                               {"file-data", plist::Value(fileData)}, {"book", plist::Value(book)}, {"file-type", plist::Value(41)}};
    return {{"GUID", plist::Value(guid)}, {"tile-type", plist::Value("file-tile")}, {"tile-data", plist::Value(tileData)}};
}

/// HOME, XDG_DATA_HOME, XDG_CONFIG_HOME and XDG_RUNTIME_DIR in a fresh temporary folder.
class Sandbox {
public:
    Sandbox() {
        char pattern[] = "/tmp/kestrine-e2e-XXXXXX";
        if (!::mkdtemp(pattern)) throw std::runtime_error("cannot create a temporary folder");
        root = pattern;
        for (const fs::path& folder : {home(), dataHome(), configHome(), runtime()}) fs::create_directories(folder);
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
    fs::path support() const { return dataHome() / "Kestrine"; }
    fs::path stateFile() const { return support() / "state.json"; }
    fs::path onboardingFile() const { return support() / "onboarding.json"; }

    /// This process's environment with the sandbox's folders, start-up tracing, the X11
    /// platform plugin and the Dock preferences file as the dock (whatever desktop the tests
    /// run on); `overrides` ("NAME=value") replace variables of the same name.
    Names environment(const Names& overrides = {}) const {
        Names env = overrides;
        env.insert(env.end(), {"HOME=" + home().string(), "XDG_DATA_HOME=" + dataHome().string(), "XDG_CONFIG_HOME=" + configHome().string(),
                               "XDG_RUNTIME_DIR=" + runtime().string(), "KESTRINE_TRACE_STARTUP=1", "QT_QPA_PLATFORM=xcb", "KESTRINE_DOCK=file"});
        for (char** e = environ; *e; ++e) env.push_back(*e);
        // The first entry of a name wins: overrides, then the sandbox's, then this process's.
        std::set<std::string> names;
        std::erase_if(env, [&](const std::string& entry) { return !names.insert(entry.substr(0, entry.find('='))).second; });
        return env;
    }

    void writeDock(const std::vector<plist::Dictionary>& tiles) const {
        const plist::Dictionary domain{{"persistent-apps", plist::Value(plist::Array(tiles.begin(), tiles.end()))},
                                       {"persistent-others", plist::Value(plist::Array{})},
                                       {"show-recents", plist::Value(true)}, {"tilesize", plist::Value(std::int64_t{48})}};
        writeFileAtomically(configHome() / "com.apple.dock.plist", plist::toBinary(plist::Value(domain)));
    }

    /// The Dock's persistent-apps as the file holds them now; a test fails on a file it cannot read.
    plist::Array dockApps() const {
        const plist::Value domain = plist::parse(readText(configHome() / "com.apple.dock.plist"));
        const plist::Value* apps = domain.find("persistent-apps");
        return apps && apps->array() ? *apps->array() : throw std::runtime_error("the Dock file has no persistent-apps");
    }

    /// A state file in `folder` of the default preset "My Dock" and "Work" (id "work") of the
    /// applications named in `home` and `work`, each as `app` describes it (by default the bundle
    /// com.example.NAME at /Applications/NAME.app), with the onboarding seen so that a login-item
    /// start shows no window.
    void writeTwoPresets(const fs::path& folder, const Names& home, const Names& work,
                         const std::function<nlohmann::json(const std::string&)>& app = nullptr) const {
        nlohmann::json state = nlohmann::json::parse(R"({"activePresetID": "default", "hidden": [], "storedTiles": [], "presets": [
            {"id": "default", "isDefault": true, "name": "My Dock", "emoji": "🏠", "hiddenIDs": []},
            {"id": "work", "isDefault": false, "name": "Work", "emoji": "💼", "hiddenIDs": []}]})");
        for (int i : {0, 1})
            for (const std::string& name : i == 0 ? home : work)
                state["presets"][i]["apps"].push_back(app ? app(name) : nlohmann::json{{"id", "com.example." + name}, {"name", name},
                                                                                       {"path", "/Applications/" + name + ".app"}});
        writeFileAtomically(folder / "state.json", state.dump(2));
        writeFileAtomically(onboardingFile(), R"({"hasSeenOnboarding":true})");
    }

    /// The active preset's id in the state file in `folder` (written whole, so always readable).
    static std::string activePresetIn(const fs::path& folder) {
        return nlohmann::json::parse(readText(folder / "state.json")).value("activePresetID", std::string());
    }
};

}  // namespace kestrine::e2e
