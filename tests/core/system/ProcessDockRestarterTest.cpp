#include "core/system/ProcessDockRestarter.h"

#include <csignal>
#include <spawn.h>
#include <sys/wait.h>

#include <gtest/gtest.h>

#include "DockFixtures.h"

extern char** environ;

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;

TEST(ProcessDockRestarter, EndsTheDockProcessAndSucceedsWhenThereIsNone) {
    // A copy of sleep(1) under the process name "Dock".
    TempFolder folder;
    std::string program = (folder / "Dock").string(), duration = "100000";
    fs::copy_file("/bin/sleep", program);
    char* argv[] = {program.data(), duration.data(), nullptr};
    pid_t dock = 0;
    ASSERT_EQ(posix_spawn(&dock, program.c_str(), nullptr, nullptr, argv, environ), 0);

    ProcessDockRestarter restarter; // /usr/bin/killall
    restarter.restart();
    ::kill(dock, SIGKILL); // a Dock the restart missed ends too, by this signal
    int status = 0;
    while (::waitpid(dock, &status, 0) < 0 && errno == EINTR) continue;
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGTERM) << "status " << status;
    // killall finds nothing now and exits with a failure status, which is not an error.
    EXPECT_NO_THROW(restarter.restart());
}

TEST(ProcessDockRestarter, RunsTheToolWithTheSingleArgumentDockAndWaitsForItButALaunchFailureThrows) {
    TempFolder folder;
    fs::path tool = folder / "fake-killall", record = folder / "arguments";
    writeFileAtomically(tool, "#!/bin/sh\nprintf '%s|' \"$#\" \"$@\" > '" + record.string() + "'\nexit 3\n");
    fs::permissions(tool, fs::perms::owner_all);
    ProcessDockRestarter(tool.string()).restart(); // exit status 3 is ignored
    EXPECT_EQ(readFile(record), "1|Dock|") << "written before restart() returns: it waits for the tool";

    auto error = thrown<std::system_error>([&] { ProcessDockRestarter((folder / "missing/killall").string()).restart(); });
    EXPECT_EQ(error ? error->code() : std::error_code(), std::errc::no_such_file_or_directory);
    fs::permissions(tool, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_THROW(ProcessDockRestarter(tool.string()).restart(), std::system_error) << "not executable";
}
