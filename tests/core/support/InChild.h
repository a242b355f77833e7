#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <functional>

namespace kestrine::testing {

/// How a body run in a child process ended.
enum class ChildOutcome { returned, threw, hung };

/// Runs `body` in a forked child, so that a body that blocks for good (a read from a FIFO
/// that nobody writes) is reported as `hung` instead of stopping the test run. The alarm is
/// a safety net far above what any non-blocking body needs, not a measure of speed.
inline ChildOutcome runInChild(const std::function<void()>& body, unsigned safetySeconds = 60) {
    std::fflush(stdout);
    const pid_t child = ::fork();
    if (child < 0) return ChildOutcome::hung;
    if (child == 0) {
        ::alarm(safetySeconds);
        try {
            body();
        } catch (...) {
            ::_exit(1);
        }
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status) == 0 ? ChildOutcome::returned : ChildOutcome::threw;
    return ChildOutcome::hung;
}

} // namespace kestrine::testing
