// The dock a run manages: chosen on the command line or in the environment, else detected; and the
// application over it: where its files go, and what the model does when the dock is out of reach.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <unistd.h>

#include <fstream>

#include "app/AppModel.h"
#include "app/AppWiring.h"
#include "app/DockSelection.h"
#include "app/Localization.h"
#include "app/platform/linux/DockDetection.h"
#include "app/settings/MorePopover.h"
#include "core/system/DockPreferencesError.h"
#include "tests/app/settings/SettingsViewTestSupport.h"
#include "tests/app/support/ModelFixture.h"
#include "tests/core/support/TempFolder.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;

namespace {

TEST(DockSelectionTest, TheCommandLineWinsOverTheEnvironmentAndLeavesTheOtherArguments) {
    using Args = std::vector<std::string>;
    const auto none = std::nullopt;
    struct Row { Args arguments; std::optional<std::string> variable; std::optional<DockChoice> dock; Args remaining; const char* error = nullptr; };
    const Row rows[] = { // variable: KESTRINE_DOCK; dock: nothing when detection decides; error: what it names
        {{"--dock", "plank:side"}, none, DockChoice::plank("side"), {}},
        {{"--dock=plank", "--login-item"}, none, DockChoice::plank(), {"--login-item"}},
        {{"--login-item", "--dock=file"}, "gnome", DockChoice::file(), {"--login-item"}},
        {{}, "plank:dock2", DockChoice::plank("dock2"), {}},
        {{}, "", none, {}},
        {{"--dock=file", "--dock=gnome"}, none, DockChoice::gnome(), {}},
        {{"list", "--dockx"}, none, none, {"list", "--dockx"}},
        {{"--dock=kde"}, none, none, {}, "\"kde\""},
        {{"--login-item", "--dock", "plank:a/b"}, none, none, {}, "\"plank:a/b\""},
        {{"--dock"}, none, none, {}, "--dock"},
        {{}, "weston", none, {}, "\"weston\""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.arguments) + " " + row.variable.value_or("(unset)"));
        auto environment = [&](const std::string& name) { return name == DockSelection::variable ? row.variable : std::nullopt; };
        if (row.error) {
            EXPECT_THAT([&] { DockSelection::read(row.arguments, environment); },
                        ::testing::ThrowsMessage<std::invalid_argument>(::testing::HasSubstr(row.error)));
            continue;
        }
        const auto request = DockSelection::read(row.arguments, environment);
        EXPECT_EQ(request.dock, row.dock);
        EXPECT_EQ(request.remaining, row.remaining);
    }
}

TEST(DockDetectionTest, PlankFirstThenGnomeWithItsSchemaElseTheFile) {
    const auto none = std::nullopt;
    const std::pair<DockDetection::Facts, DockChoice> rows[] = {
        {{none, "", false}, DockChoice::file()}, {{none, "GNOME", true}, DockChoice::gnome()},
        {{none, "ubuntu:GNOME", true}, DockChoice::gnome()}, {{none, "gnome", true}, DockChoice::gnome()},
        {{none, "GNOME", false}, DockChoice::file()}, {{none, "KDE", true}, DockChoice::file()},
        {{none, "X-GNOME:Budgie", true}, DockChoice::file()}, {{none, "GNOME-Flashback:GNOME:", true}, DockChoice::gnome()},
        {{"dock1", "GNOME", true}, DockChoice::plank()}, {{"side", "XFCE", false}, DockChoice::plank("side")},
    };
    for (const auto& [facts, expected] : rows) EXPECT_EQ(DockDetection::choose(facts), expected) << facts.currentDesktop;
}

TEST(DockDetectionTest, FindsTheUsersRunningPlankAndTheDockItWasStartedFor) {
    struct Row { std::string comm; std::vector<std::string> argv; std::optional<std::string> expected; uid_t uid = ::getuid(); };
    const Row rows[] = {
        {"plank", {"plank"}, "dock1"},
        {"plank", {"/usr/bin/plank", "-n", "side"}, "side"},
        {"plank", {"plank", "-n", "../x"}, "dock1"},              // not a dock name of ours
        {"plank", {"plank"}, std::nullopt, ::getuid() + 1},       // another user's
        {"plankton", {"plankton"}, std::nullopt},
        {"bash", {"bash", "-c", "plank"}, std::nullopt},
    };
    for (const auto& row : rows) {
        // A stand-in for /proc: one folder per process with its command name and command line.
        TempFolder proc;
        for (const auto& [pid, comm, argv] : {std::tuple{"1", std::string("systemd"), std::vector<std::string>{"/sbin/init"}},
                                              std::tuple{"4242", row.comm, row.argv}}) {
            fs::create_directories(proc / pid);
            std::ofstream(proc / pid / "comm") << comm << "\n";
            std::ofstream cmdline(proc / pid / "cmdline", std::ios::binary);
            for (const auto& argument : argv) cmdline << argument << '\0';
        }
        fs::create_directories(proc / "self");
        EXPECT_EQ(DockDetection::runningPlank(row.uid, proc.path()), row.expected) << row.comm << " " << row.uid;
        EXPECT_EQ(DockDetection::runningPlank(row.uid, proc / "missing"), std::nullopt);
    }
}

TEST(DockWiringTest, OnlyTheStateAndBackupsMoveWithTheDock) {
    const fs::path support = "/home/u/.local/share/Kestrine", data = support / "docks/plank-dock2";
    const AppLocations locations{support, "/home/u/.config/com.apple.dock.plist", DockChoice::plank("dock2")};
    EXPECT_EQ(locations.stateFile(), data / "state.json");
    EXPECT_EQ(locations.backupsDirectory(), data / "Backups");
    EXPECT_EQ(locations.hotKeyFile(), support / "hotkey.json");
    EXPECT_EQ(locations.onboardingFile(), support / "onboarding.json");
}

// A model over a dock without a recent-applications section, as GNOME Shell and Plank.
std::unique_ptr<AppModel> gnomeModel(ModelFixture& fixture, const std::optional<std::string>& unavailable) {
    struct NoRecents final : FakePreferences {
        using FakePreferences::FakePreferences;
        bool supportsRecents() const override { return false; }
    };
    auto session = std::make_unique<AppScanSession>([](std::stop_token) { return std::vector<PresetApp>{}; },
                                                    fixture.executors.background, fixture.executors.poster());
    DockPorts ports{std::make_unique<NoRecents>(fixture.system), std::make_unique<FakeRestarter>(fixture.system),
                    std::make_unique<FakeBackups>(fixture.system), std::make_unique<FakeStorage>(fixture.system)};
    return std::make_unique<AppModel>(std::move(ports), DockSetup{DockChoice::gnome(), unavailable},
                                      std::make_unique<ManualScheduler>(), std::move(session));
}

TEST(DockWiringTest, AnUnreachableDockLeavesTheModelInertAndUntouchedWithTheReason) {
    const std::string reason = "the GSettings schema org.gnome.shell is not installed (install gnome-shell-common)";
    for (const std::optional<std::string>& unavailable : {std::optional(reason), std::optional<std::string>()}) {
        ModelFixture fixture;
        auto model = gnomeModel(fixture, unavailable);
        EXPECT_EQ(model->isInert(), unavailable.has_value());
        EXPECT_EQ(model->dock(), DockChoice::gnome());
        EXPECT_EQ(model->errorMessage().value_or("").contains(QString::fromStdString(reason)), unavailable.has_value());
        // Not even read: a first start would otherwise save an empty default preset.
        if (unavailable) { EXPECT_TRUE(fixture.system->log.calls.empty()) << ::testing::PrintToString(fixture.system->log.calls); }
    }
}

TEST(DockWiringTest, TheGearMenuOfADockWithoutRecentsHasNoRecentsSwitch) {
    ModelFixture fixture;
    auto model = gnomeModel(fixture, std::nullopt);
    MemoryHotKeys hotKeys;
    auto center = hotKeys.makeCenter();
    EXPECT_FALSE(model->supportsRecents());
    EXPECT_EQ(MorePopover(*model, *center).recentsSwitch(), nullptr);
}

TEST(DockWiringTest, DockErrorsSayWhatIsMissingOrRefused) {
    EXPECT_EQ(AppModel::message(DockPreferencesError::unavailable("no plank")),
              Localization::format("error.dockUnavailable", QStringLiteral("no plank")));
    EXPECT_EQ(AppModel::message(DockPreferencesError::writeRefused("locked")),
              Localization::format("error.dockRefused", QStringLiteral("locked")));
}

} // namespace
