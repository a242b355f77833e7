// The application over a chosen dock: where its files go, what the model does when the dock's
// settings are out of reach or refuse a write, and the gear menu of a dock without recents.
#include <gtest/gtest.h>

#include "app/AppModel.h"
#include "app/AppWiring.h"
#include "app/Localization.h"
#include "app/settings/MorePopover.h"
#include "core/system/DockPreferencesError.h"
#include "tests/app/settings/SettingsViewTestSupport.h"
#include "tests/app/support/ModelFixture.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;

namespace {

TEST(DockWiringTest, OnlyTheStateAndBackupsMoveWithTheDock) {
    const fs::path support = "/home/u/.local/share/Kestrine";
    struct Row {
        DockChoice dock;
        fs::path data;
    };
    const Row rows[] = {
        {DockChoice::file(), support},
        {DockChoice::gnome(), support / "docks/gnome"},
        {DockChoice::plank("dock2"), support / "docks/plank-dock2"},
    };
    for (const auto& row : rows) {
        const AppLocations locations{support, "/home/u/.config/com.apple.dock.plist", row.dock};
        EXPECT_EQ(locations.stateFile(), row.data / "state.json") << row.dock.name();
        EXPECT_EQ(locations.backupsDirectory(), row.data / "Backups") << row.dock.name();
        EXPECT_EQ(locations.hotKeyFile(), support / "hotkey.json") << row.dock.name();
        EXPECT_EQ(locations.onboardingFile(), support / "onboarding.json") << row.dock.name();
    }
}

// A store whose dock has no recent-applications section, as GNOME Shell and Plank.
class NoRecentsPreferences final : public FakePreferences {
public:
    using FakePreferences::FakePreferences;
    bool supportsRecents() const override { return false; }
};

struct DockModel : ModelFixture {
    std::unique_ptr<AppModel> build(DockSetup setup, bool recents) {
        auto session = std::make_unique<AppScanSession>([](std::stop_token) { return std::vector<PresetApp>{}; },
                                                        executors.background, executors.poster());
        std::unique_ptr<DockPreferencesStore> preferences;
        if (recents) {
            preferences = std::make_unique<FakePreferences>(system);
        } else {
            preferences = std::make_unique<NoRecentsPreferences>(system);
        }
        DockPorts ports{std::move(preferences), std::make_unique<FakeRestarter>(system),
                        std::make_unique<FakeBackups>(system), std::make_unique<FakeStorage>(system)};
        return std::make_unique<AppModel>(std::move(ports), std::move(setup), std::make_unique<ManualScheduler>(),
                                          std::move(session));
    }
};

TEST(DockWiringTest, AnUnreachableDockLeavesTheModelInertAndUntouchedWithTheReason) {
    const std::string reason = "the GSettings schema org.gnome.shell is not installed (install gnome-shell-common)";
    struct Row {
        std::optional<std::string> unavailable;
        bool inert;
    };
    for (const Row& row : {Row{reason, true}, Row{std::nullopt, false}}) {
        DockModel fixture;
        auto model = fixture.build(DockSetup{DockChoice::gnome(), row.unavailable}, false);
        EXPECT_EQ(model->isInert(), row.inert);
        EXPECT_EQ(model->dock(), DockChoice::gnome());
        if (row.inert) {
            ASSERT_TRUE(model->errorMessage());
            EXPECT_TRUE(model->errorMessage()->contains(QString::fromStdString(reason))) << model->errorMessage()->toStdString();
            // Not even read: a first start would otherwise save an empty default preset.
            EXPECT_TRUE(fixture.system->log.calls.empty()) << ::testing::PrintToString(fixture.system->log.calls);
        } else {
            EXPECT_FALSE(model->errorMessage());
        }
    }
}

TEST(DockWiringTest, DockErrorsShowWhatIsMissingOrRefused) {
    const QString missing = Localization::format("error.dockUnavailable", QStringLiteral("no plank"));
    const QString refused = Localization::format("error.dockRefused", QStringLiteral("favorite-apps is locked"));
    const std::pair<DockPreferencesError, QString> rows[] = {
        {DockPreferencesError::unavailable("no plank"), missing},
        {DockPreferencesError::writeRefused("favorite-apps is locked"), refused},
        {DockPreferencesError::synchronizeFailed(), Localization::tr("error.dockWrite")},
    };
    for (const auto& [error, text] : rows) EXPECT_EQ(AppModel::message(error), text) << error.what();
    EXPECT_NE(missing, refused);
}

TEST(DockWiringTest, TheGearMenuOffersRecentsOnlyWhereTheDockHasThem) {
    for (const bool recents : {true, false}) {
        DockModel fixture;
        auto model = fixture.build(DockSetup{}, recents);
        MemoryHotKeys hotKeys;
        auto center = hotKeys.makeCenter();
        MorePopover popover(*model, *center);
        EXPECT_EQ(model->supportsRecents(), recents);
        EXPECT_EQ(popover.recentsSwitch() != nullptr, recents);
    }
}

} // namespace
