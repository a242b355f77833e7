#include "core/system/ProcessDockRestarter.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

#include <system_error>

extern char** environ;

namespace kestrine {

namespace {

/// posix_spawn's attribute and file-action objects, released on every path.
struct SpawnSetup {
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_t actions;

    SpawnSetup() {
        if (int rc = posix_spawnattr_init(&attributes)) throw std::system_error(rc, std::generic_category(), "posix_spawnattr_init");
        if (int rc = posix_spawn_file_actions_init(&actions)) {
            posix_spawnattr_destroy(&attributes);
            throw std::system_error(rc, std::generic_category(), "posix_spawn_file_actions_init");
        }
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

void check(int rc, const char* what) {
    if (rc != 0) throw std::system_error(rc, std::generic_category(), what);
}

} // namespace

ProcessDockRestarter::ProcessDockRestarter(std::string executable) : executable_(std::move(executable)) {}

void ProcessDockRestarter::restart() {
    SpawnSetup setup;
    // The child starts with no blocked signals and default handlers whatever the caller
    // has set up, and with its standard streams on /dev/null ("no process found" is not
    // worth showing).
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    check(posix_spawnattr_setsigmask(&setup.attributes, &none), "posix_spawnattr_setsigmask");
    check(posix_spawnattr_setsigdefault(&setup.attributes, &all), "posix_spawnattr_setsigdefault");
    check(posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF),
          "posix_spawnattr_setflags");
    check(posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0), "posix_spawn_file_actions_addopen");
    check(posix_spawn_file_actions_addopen(&setup.actions, 1, "/dev/null", O_WRONLY, 0), "posix_spawn_file_actions_addopen");
    check(posix_spawn_file_actions_addopen(&setup.actions, 2, "/dev/null", O_WRONLY, 0), "posix_spawn_file_actions_addopen");

    std::string program = executable_;
    std::string argument = "Dock";
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    int rc = posix_spawn(&child, executable_.c_str(), &setup.actions, &setup.attributes, argv, environ);
    if (rc != 0) throw std::system_error(rc, std::generic_category(), "cannot launch " + executable_);

    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno == EINTR) continue;
        // ECHILD: the child was reaped elsewhere (SIGCHLD ignored); either way it is gone.
        break;
    }
}

} // namespace kestrine
