#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

namespace kestrine::testing {

/// Runs `body` with the rights of an ordinary user, so that file permissions hold for it.
///
/// An ordinary user runs it in place. Root, whom permissions do not stop, runs it in a
/// forked child that first gives `folder` and everything in it to the user and group
/// "nobody" (65534) and then takes their ids, so that it can still change the permissions
/// of its own files. What the child does to files is seen by the caller afterwards, what it
/// does in memory is not: the whole check, retry included, belongs in `body`. The child's
/// test failures are printed by the child and reported here as one more failure.
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
    const auto* result = ::testing::UnitTest::GetInstance()->current_test_info()->result();
    const int partsBefore = result->total_part_count();
    std::fflush(stdout);
    std::fflush(stderr);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgroups(0, nullptr) != 0 || ::setgid(nobody) != 0 || ::setuid(nobody) != 0) ::_exit(77);
        try {
            body();
        } catch (const std::exception& error) {
            ADD_FAILURE() << "uncaught exception: " << error.what();
        }
        int failed = 0;
        for (int i = partsBefore; i < result->total_part_count(); ++i) failed |= result->GetTestPartResult(i).failed();
        std::fflush(stdout);
        std::fflush(stderr);
        ::_exit(failed); // no destructors: the caller's folders belong to the caller
    }
    ASSERT_GE(child, 0) << "fork failed";
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    giveTo(::geteuid(), ::getegid());
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << "cannot take the ids of nobody";
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << "the unprivileged part failed (its failures are printed above), status " << status;
}

} // namespace kestrine::testing
