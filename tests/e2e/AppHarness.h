// Running the real kestrine program in a sandbox of its own: folders for HOME and the XDG
// variables, a Dock domain file, processes started with a chosen environment, and bounded
// waits for conditions. Used by the end-to-end tests and the start-up benchmark.
#pragma once

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

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
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (true) {
        if (condition()) return true;
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(step);
    }
}

inline std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

/// The full path of `name` found along PATH, if any.
inline std::optional<fs::path> findExecutable(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        const fs::path candidate = fs::path(folder.empty() ? "." : folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    return std::nullopt;
}

/// A child process started with posix_spawn; killed when still running at destruction.
class Process {
public:
    Process(const fs::path& program, const std::vector<std::string>& arguments, const std::vector<std::string>& environment,
            const std::optional<fs::path>& output = std::nullopt, const std::optional<fs::path>& errors = std::nullopt) {
        std::vector<std::string> argv{program.string()};
        argv.insert(argv.end(), arguments.begin(), arguments.end());
        std::vector<char*> args, env;
        for (auto& a : argv) args.push_back(a.data());
        args.push_back(nullptr);
        std::vector<std::string> envCopy = environment;
        for (auto& e : envCopy) env.push_back(e.data());
        env.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        const std::string out = output ? output->string() : "/dev/null";
        const std::string err = errors ? errors->string() : "/dev/null";
        posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int result = posix_spawn(&pid_, program.c_str(), &actions, nullptr, args.data(), env.data());
        posix_spawn_file_actions_destroy(&actions);
        if (result != 0) throw std::runtime_error("cannot start " + program.string() + ": " + std::strerror(result));
    }
    ~Process() {
        if (running()) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, &status_, 0);
        }
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    pid_t pid() const { return pid_; }
    bool running() {
        if (ended_) return false;
        if (::waitpid(pid_, &status_, WNOHANG) == pid_) ended_ = true;
        return !ended_;
    }
    void signal(int number) const { ::kill(pid_, number); }
    /// Waits (bounded) for the process to end; true when it did.
    bool waitForExit(std::chrono::milliseconds limit = 10s) {
        return waitUntil([this] { return !running(); }, limit, 10ms);
    }
    bool exitedNormally() const { return ended_ && WIFEXITED(status_); }
    bool exitedWith(int code) const { return ended_ && WIFEXITED(status_) && WEXITSTATUS(status_) == code; }
    bool killedBy(int number) const { return ended_ && WIFSIGNALED(status_) && WTERMSIG(status_) == number; }
    std::string describe() const {
        if (!ended_) return "still running";
        if (WIFEXITED(status_)) return "exited with " + std::to_string(WEXITSTATUS(status_));
        if (WIFSIGNALED(status_)) return "killed by signal " + std::to_string(WTERMSIG(status_));
        return "ended";
    }

private:
    pid_t pid_ = -1;
    int status_ = 0;
    bool ended_ = false;
};

/// Runs a command to its end (bounded) and returns its exit code and standard output.
struct CommandResult {
    int code = -1;
    std::string output;
};
inline CommandResult runCommand(const fs::path& program, const std::vector<std::string>& arguments,
                                const std::vector<std::string>& environment, const fs::path& scratch) {
    const fs::path out = scratch / ("command-" + std::to_string(::getpid()) + ".out");
    fs::remove(out);
    Process process(program, arguments, environment, out);
    CommandResult result;
    if (!process.waitForExit(20s)) return result;
    for (int code = 0; code < 256; ++code)
        if (process.exitedWith(code)) result.code = code;
    result.output = readText(out);
    fs::remove(out);
    return result;
}

/// A Dock tile as the Dock writes one for the application bundle at `appPath`.
inline plist::Dictionary appTile(const std::string& bundleID, std::int64_t guid, const std::string& appPath) {
    plist::Dictionary fileData{{"_CFURLString", plist::Value("file://" + appPath + "/")},
                               {"_CFURLStringType", plist::Value(15)}};
    plist::Data book{'b', 'o', 'o', 'k', std::uint8_t(guid), std::uint8_t(guid >> 8), 0x00, 0xff, 0x7f};
    plist::Dictionary tileData{{"bundle-identifier", plist::Value(bundleID)},
                               {"file-label", plist::Value(fs::path(appPath).stem().string())},
                               {"file-data", plist::Value(fileData)},
                               {"book", plist::Value(book)},
                               {"file-type", plist::Value(41)},
                               {"file-mod-date", plist::Value(std::int64_t{3712345678})}};
    return {{"GUID", plist::Value(guid)}, {"tile-type", plist::Value("file-tile")}, {"tile-data", plist::Value(tileData)}};
}

inline plist::Dictionary spacerTile(std::int64_t guid) {
    return {{"GUID", plist::Value(guid)},
            {"tile-type", plist::Value("spacer-tile")},
            {"tile-data", plist::Value(plist::Dictionary{})}};
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
            {"HOME", home().string()},          {"XDG_DATA_HOME", dataHome().string()},
            {"XDG_CONFIG_HOME", configHome().string()}, {"XDG_RUNTIME_DIR", runtime().string()},
            {"KESTRINE_TRACE_STARTUP", "1"},     {"QT_QPA_PLATFORM", "xcb"},
            {"KESTRINE_DOCK", "file"}};
        for (const std::string& entry : overrides) {
            const auto eq = entry.find('=');
            values[entry.substr(0, eq)] = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        }
        std::vector<std::string> env;
        for (char** e = environ; *e; ++e) {
            const std::string entry(*e);
            if (!values.count(entry.substr(0, entry.find('=')))) env.push_back(entry);
        }
        for (const auto& [name, value] : values) env.push_back(name + "=" + value);
        return env;
    }

    void writeDock(const std::vector<plist::Dictionary>& tiles) const {
        plist::Array apps;
        for (const auto& tile : tiles) apps.emplace_back(tile);
        plist::Dictionary domain{{"persistent-apps", plist::Value(apps)},
                                 {"persistent-others", plist::Value(plist::Array{})},
                                 {"show-recents", plist::Value(true)},
                                 {"tilesize", plist::Value(std::int64_t{48})}};
        writeFileAtomically(dockFile(), plist::toBinary(plist::Value(domain)));
    }

    /// The Dock's persistent-apps as the file holds them now; empty when unreadable.
    plist::Array dockApps() const {
        try {
            const plist::Value domain = plist::parse(readText(dockFile()));
            const auto* dictionary = domain.dictionary();
            if (!dictionary) return {};
            const auto it = dictionary->find("persistent-apps");
            if (it == dictionary->end() || !it->second.array()) return {};
            return *it->second.array();
        } catch (const std::exception&) {
            return {};
        }
    }

    /// A process named "Dock" (a copy of sleep) standing in for the Dock that killall ends.
    std::unique_ptr<Process> startFakeDock() const {
        const fs::path dock = bin() / "Dock";
        if (!fs::exists(dock)) {
            const auto sleep = findExecutable("sleep");
            if (!sleep) throw std::runtime_error("no sleep program to stand in for the Dock");
            fs::copy_file(fs::canonical(*sleep), dock);
            fs::permissions(dock, fs::perms::owner_all, fs::perm_options::replace);
        }
        return std::make_unique<Process>(dock, std::vector<std::string>{"1000"}, environment());
    }
};

}  // namespace kestrine::e2e
