#include "app/DockSelection.h"
#include "app/platform/linux/DockDetection.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>
#include <map>

#include "tests/core/support/TempFolder.h"

using namespace kestrine;
namespace fs = std::filesystem;

namespace kestrine {
// Failures name the dock instead of dumping its bytes.
inline void PrintTo(const DockChoice& dock, std::ostream* out) { *out << dock.name(); }
} // namespace kestrine

namespace {

AppPaths::EnvironmentLookup environmentOf(std::map<std::string, std::string> values) {
    return [values](const std::string& name) -> std::optional<std::string> {
        const auto it = values.find(name);
        if (it == values.end()) return std::nullopt;
        return it->second;
    };
}

struct ReadRow {
    std::vector<std::string> arguments;
    std::optional<std::string> variable; // KESTRINE_DOCK
    std::optional<DockChoice> dock;      // nothing: detection decides
    std::vector<std::string> remaining;
};

TEST(DockSelectionTest, TheCommandLineWinsOverTheEnvironmentAndLeavesTheOtherArguments) {
    const ReadRow rows[] = {
        {{}, std::nullopt, std::nullopt, {}},
        {{"--login-item"}, std::nullopt, std::nullopt, {"--login-item"}},
        {{"--dock=gnome"}, std::nullopt, DockChoice::gnome(), {}},
        {{"--dock", "plank:side"}, std::nullopt, DockChoice::plank("side"), {}},
        {{"--dock=plank", "--login-item"}, std::nullopt, DockChoice::plank(), {"--login-item"}},
        {{"--login-item", "--dock=file"}, std::string("gnome"), DockChoice::file(), {"--login-item"}},
        {{}, std::string("plank:dock2"), DockChoice::plank("dock2"), {}},
        {{}, std::string(""), std::nullopt, {}},
        {{"--dock=file", "--dock=gnome"}, std::nullopt, DockChoice::gnome(), {}},
        {{"list", "--dockx"}, std::nullopt, std::nullopt, {"list", "--dockx"}},
    };
    for (const auto& row : rows) {
        std::map<std::string, std::string> values;
        if (row.variable) values[DockSelection::variable] = *row.variable;
        const auto request = DockSelection::read(row.arguments, environmentOf(values));
        EXPECT_EQ(request.dock, row.dock) << ::testing::PrintToString(row.arguments);
        EXPECT_EQ(request.remaining, row.remaining) << ::testing::PrintToString(row.arguments);
    }
}

TEST(DockSelectionTest, AnUnknownDockIsAnErrorNamingTheValue) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"--dock=kde"}, ""},
        {{"--dock"}, ""},
        {{"--dock", "plank:a/b"}, ""},
        {{}, "weston"},
        {{"--login-item"}, "plank:"},
    };
    for (const auto& [arguments, variable] : rows) {
        std::map<std::string, std::string> values;
        if (!variable.empty()) values[DockSelection::variable] = variable;
        EXPECT_THROW(DockSelection::read(arguments, environmentOf(values)), std::invalid_argument)
            << ::testing::PrintToString(arguments) << " " << variable;
    }
    try {
        DockSelection::read({"--dock=kde"}, environmentOf({}));
    } catch (const std::invalid_argument& error) {
        EXPECT_NE(std::string(error.what()).find("\"kde\""), std::string::npos) << error.what();
    }
}

TEST(DockDetectionTest, PlankFirstThenGnomeWithItsSchemaElseTheFile) {
    struct Row {
        DockDetection::Facts facts;
        DockChoice expected;
    };
    const Row rows[] = {
        {{std::nullopt, "", false}, DockChoice::file()},
        {{std::nullopt, "GNOME", true}, DockChoice::gnome()},
        {{std::nullopt, "ubuntu:GNOME", true}, DockChoice::gnome()},
        {{std::nullopt, "gnome", true}, DockChoice::gnome()},
        {{std::nullopt, "GNOME", false}, DockChoice::file()},
        {{std::nullopt, "KDE", true}, DockChoice::file()},
        {{std::nullopt, "X-GNOME:Budgie", true}, DockChoice::file()},
        {{std::nullopt, "GNOME-Flashback:GNOME:", true}, DockChoice::gnome()},
        {{std::string("dock1"), "GNOME", true}, DockChoice::plank()},
        {{std::string("side"), "XFCE", false}, DockChoice::plank("side")},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DockDetection::choose(row.facts), row.expected) << row.facts.currentDesktop;
}

// A stand-in for /proc: one folder per process with its command name and command line.
void addProcess(const fs::path& proc, const std::string& pid, const std::string& comm,
                const std::vector<std::string>& argv) {
    fs::create_directories(proc / pid);
    std::ofstream(proc / pid / "comm") << comm << "\n";
    std::ofstream cmdline(proc / pid / "cmdline", std::ios::binary);
    for (const auto& argument : argv) cmdline << argument << '\0';
}

TEST(DockDetectionTest, FindsTheUsersRunningPlankAndTheDockItWasStartedFor) {
    struct Row {
        std::string comm;
        std::vector<std::string> argv;
        std::optional<std::string> expected;
    };
    const Row rows[] = {
        {"plank", {"plank"}, "dock1"},
        {"plank", {"/usr/bin/plank", "-n", "side"}, "side"},
        {"plank", {"plank", "--name=bottom"}, "bottom"},
        {"plank", {"plank", "--name", "top", "--preferences"}, "top"},
        {"plank", {"plank", "-nleft"}, "left"},
        {"plank", {"plank", "-n", "../x"}, "dock1"},
        {"plankton", {"plankton"}, std::nullopt},
        {"bash", {"bash", "-c", "plank"}, std::nullopt},
    };
    for (const auto& row : rows) {
        kestrine::testing::TempFolder proc;
        addProcess(proc.path(), "1", "systemd", {"/sbin/init"});
        addProcess(proc.path(), "4242", row.comm, row.argv);
        fs::create_directories(proc.path() / "self");
        EXPECT_EQ(DockDetection::runningPlank(::getuid(), proc.path()), row.expected) << row.comm;
    }
    // Another user's Plank is not this user's dock.
    kestrine::testing::TempFolder proc;
    addProcess(proc.path(), "77", "plank", {"plank"});
    EXPECT_EQ(DockDetection::runningPlank(::getuid() + 1, proc.path()), std::nullopt);
    EXPECT_EQ(DockDetection::runningPlank(::getuid(), proc.path() / "missing"), std::nullopt);
}

} // namespace
