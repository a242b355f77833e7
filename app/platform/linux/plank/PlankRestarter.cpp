#include "app/platform/linux/plank/PlankRestarter.h"

#include <algorithm>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <thread>

#include "app/platform/linux/plank/PlankDockStore.h"

namespace kestrine {
namespace fs = std::filesystem;

namespace {

std::optional<std::string> readProcFile(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Gone, or a zombie its parent has not collected yet.
bool ended(pid_t pid) {
    if (::kill(pid, 0) != 0 && errno == ESRCH) return true;
    const auto stat = readProcFile("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return true;
    const auto close = stat->rfind(')');
    return close != std::string::npos && close + 2 < stat->size() && (*stat)[close + 2] == 'Z';
}

bool waitForEnd(pid_t pid, std::chrono::seconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!ended(pid)) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

void end(pid_t pid) {
    if (::kill(pid, SIGTERM) != 0) return;
    if (waitForEnd(pid, std::chrono::seconds(10))) return;
    ::kill(pid, SIGKILL);
    waitForEnd(pid, std::chrono::seconds(5));
}

// Runs the process again through a shell that puts it in the background and exits, so it
// belongs to neither this process nor its session.
void startAgain(const PlankRestarter::Process& process) {
    std::vector<std::string> words{"sh", "-c", "cd \"$1\" 2>/dev/null; shift; exec \"$@\" </dev/null >/dev/null 2>&1 &",
                                   "sh", process.directory.empty() ? "/" : process.directory, process.executable};
    words.insert(words.end(), process.arguments.begin() + (process.arguments.empty() ? 0 : 1), process.arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    std::vector<std::string> environment = process.environment;
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSID);
    pid_t child = 0;
    const int rc = posix_spawn(&child, "/bin/sh", nullptr, &attributes, argv.data(), envp.data());
    posix_spawnattr_destroy(&attributes);
    if (rc != 0) throw std::system_error(rc, std::generic_category(), "cannot start " + process.executable + " again");
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
}

} // namespace

PlankRestarter::PlankRestarter(PlankDockStore& store) : store_(store) {}

std::vector<std::string> PlankRestarter::splitCommandLine(const std::string& text) {
    std::vector<std::string> parts;
    std::string::size_type start = 0;
    while (start < text.size()) {
        auto end = text.find('\0', start);
        if (end == std::string::npos) end = text.size();
        parts.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return parts;
}

std::string PlankRestarter::dockOf(const std::vector<std::string>& arguments) {
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& word = arguments[i];
        if ((word == "-n" || word == "--name") && i + 1 < arguments.size()) return arguments[i + 1];
        if (word.starts_with("--name=")) return word.substr(7);
        if (word.starts_with("-n") && word.size() > 2 && word[2] != '-') return word.substr(2);
    }
    return "dock1";
}

std::vector<PlankRestarter::Process> PlankRestarter::running(const std::string& dock,
                                                             const std::optional<std::string>& busAddress) {
    std::vector<Process> found;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator("/proc", error)) {
        const std::string name = entry.path().filename().string();
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        struct stat info {};
        if (::stat(entry.path().c_str(), &info) != 0 || info.st_uid != ::getuid()) continue;
        std::error_code linkError;
        const fs::path executable = fs::read_symlink(entry.path() / "exe", linkError);
        if (linkError || executable.filename() != "plank") continue;
        Process process;
        process.pid = static_cast<pid_t>(std::stol(name));
        if (ended(process.pid)) continue;
        process.executable = executable.string();
        process.arguments = PlankRestarter::splitCommandLine(readProcFile(entry.path() / "cmdline").value_or(""));
        if (dockOf(process.arguments) != dock) continue;
        process.environment = PlankRestarter::splitCommandLine(readProcFile(entry.path() / "environ").value_or(""));
        if (busAddress) {
            const std::string wanted = "DBUS_SESSION_BUS_ADDRESS=" + *busAddress;
            if (std::find(process.environment.begin(), process.environment.end(), wanted) == process.environment.end())
                continue;
        }
        process.directory = fs::read_symlink(entry.path() / "cwd", linkError).string();
        found.push_back(std::move(process));
    }
    return found;
}

void PlankRestarter::restart() {
    if (!store_.orderToRestartFor()) return;
    std::optional<std::string> bus;
    if (const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS")) bus = address;
    const std::vector<Process> planks = running(store_.dockName(), bus);
    for (const Process& plank : planks) end(plank.pid);
    store_.reassertOrder();
    for (const Process& plank : planks) startAgain(plank);
}

} // namespace kestrine
