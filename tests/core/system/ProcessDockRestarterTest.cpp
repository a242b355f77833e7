#include "core/system/ProcessDockRestarter.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "SystemTestSupport.h"

extern char** environ;

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;

namespace {

/// Starts a copy of sleep(1) under the process name "Dock".
pid_t startFakeDock(const fs::path& folder) {
    fs::path dock = folder / "Dock";
    fs::copy_file("/bin/sleep", dock);
    fs::permissions(dock, fs::perms::owner_all);
    std::string program = dock.string(), duration = "100000";
    char* argv[] = {program.data(), duration.data(), nullptr};
    pid_t pid = 0;
    int rc = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv, environ);
    if (rc != 0) throw std::system_error(rc, std::generic_category(), "cannot start the fake Dock");
    return pid;
}

} // namespace

TEST(ProcessDockRestarter, EndsTheDockProcessAndSucceedsWhenThereIsNone) {
    TemporaryFolder folder;
    pid_t dock = startFakeDock(folder.path());

    ProcessDockRestarter restarter;
    EXPECT_EQ(restarter.executable(), "/usr/bin/killall");
    restarter.restart();

    int status = 0;
    pid_t waited;
    do waited = ::waitpid(dock, &status, 0);
    while (waited < 0 && errno == EINTR);
    ASSERT_EQ(waited, dock);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the Dock process should have been killed";
    EXPECT_EQ(WTERMSIG(status), SIGTERM);

    // killall finds nothing now and exits with a failure status, which is not an error.
    EXPECT_NO_THROW(restarter.restart());
}

TEST(ProcessDockRestarter, RunsTheToolWithTheSingleArgumentDockAndWaitsForItButALaunchFailureThrows) {
    TemporaryFolder folder;
    fs::path tool = folder / "fake-killall";
    fs::path record = folder / "arguments";
    writeFileAtomically(tool, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" + record.string() + "'\nexit 3\n");
    fs::permissions(tool, fs::perms::owner_all);
    ProcessDockRestarter(tool.string()).restart(); // exit status 3 is ignored
    // The file exists as soon as restart() returns because restart waits for the tool.
    EXPECT_EQ(readFile(record), "1|Dock|");

    try {
        ProcessDockRestarter((folder / "missing/killall").string()).restart();
        FAIL() << "launching a missing executable should throw";
    } catch (const std::system_error& error) {
        EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    }
    fs::permissions(tool, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_THROW(ProcessDockRestarter(tool.string()).restart(), std::system_error) << "not executable";
}
