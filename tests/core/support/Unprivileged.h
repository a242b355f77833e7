#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <stdexcept>

#include <gtest/gtest.h>

namespace kestrine::testing {

/// How a body run in a forked child ended; `killed` when a signal ended it, such as the safety
/// alarm (far above what any non-blocking body needs, not a measure of speed) ending a body blocked for good.
enum class ChildOutcome { returned, threw, killed };

inline ChildOutcome runInChild(const std::function<void()>& body, unsigned safetySeconds = 60) {
    std::fflush(nullptr);
    const pid_t child = ::fork();
    if (child == 0) {
        ::alarm(safetySeconds);
        int code = 0;
        try { body(); } catch (...) { code = 1; }
        std::fflush(nullptr);
        ::_exit(code); // no destructors: the caller's folders belong to the caller
    }
    int status = 0;
    while (child > 0 && ::waitpid(child, &status, 0) < 0 && errno == EINTR) continue;
    return child > 0 && WIFEXITED(status) ? (WEXITSTATUS(status) ? ChildOutcome::threw : ChildOutcome::returned) : ChildOutcome::killed;
}

/// Runs `body` with the rights of an ordinary user, so that file permissions hold for it.
///
/// An ordinary user runs it in place. Root, whom permissions do not stop, runs it in a
/// forked child that first gives `folder` and everything in it to the user and group
/// "nobody" (65534) and then takes their ids, so that it can still change the permissions
/// of its own files. What the child does to files is seen by the caller afterwards, what it
/// does in memory is not: the whole check, retry included, belongs in `body`. The child's
/// test failures are printed by the child; they, or anything it throws, fail the test here once more.
inline void asOrdinaryUser(const std::filesystem::path& folder, const std::function<void()>& body) {
    if (::geteuid() != 0) return body();
    constexpr uid_t nobody = 65534;
    auto giveTo = [&](uid_t user, gid_t group) {
        std::error_code ec;
        bool given = ::lchown(folder.c_str(), user, group) == 0;
        for (auto it = std::filesystem::recursive_directory_iterator(folder, ec); !ec && it != decltype(it)(); it.increment(ec))
            given = ::lchown(it->path().c_str(), user, group) == 0 && given;
        if (!given) ADD_FAILURE() << "cannot give away " << folder;
    };
    giveTo(nobody, nobody);
    const ChildOutcome outcome = runInChild([&] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) throw std::runtime_error("cannot take ids");
        body();
        if (::testing::Test::HasFailure()) throw std::runtime_error("the unprivileged part failed");
    });
    giveTo(::geteuid(), ::getegid());
    EXPECT_EQ(outcome, ChildOutcome::returned) << "the unprivileged part failed; its failures are printed above";
}

} // namespace kestrine::testing
