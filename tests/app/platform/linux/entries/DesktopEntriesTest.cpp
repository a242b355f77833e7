#include <stop_token>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "core/system/DockPreferencesError.h"
#include "tests/app/platform/linux/DocksTestSupport.h"

namespace kestrine::testing {
namespace {

using ::testing::HasSubstr;

// What the scan shows: GIO's choice (precedence, Hidden, NoDisplay, OnlyShowIn/NotShowIn,
// TryExec, IDs of subfolders) in the bundle scan's order (numbers by value, case ignored).
TEST(DesktopEntries, ScanShowsWhatGIOSaysShouldBeShownInNameOrder) {
    const auto sys1 = docksRoot() / "sys1" / "applications";
    const std::vector<PresetApp> expected{
        {"files.desktop", (sys1 / "files.desktop").string(), "Files"},
        {"tryexec-found.desktop", (sys1 / "tryexec-found.desktop").string(), "Found"},
        {"here.desktop", (sys1 / "here.desktop").string(), "Here"},
        {"numbered.desktop", (sys1 / "numbered.desktop").string(), "Plain 9"},
        {"plain.desktop", (sys1 / "plain.desktop").string(), "plain 10"},
        {"shared.desktop", (docksRoot() / "home" / "applications" / "shared.desktop").string(), "Shared user"},
        {"twice.desktop", (sys1 / "twice.desktop").string(), "Twice first"},
        {"kde-viewer.desktop", (sys1 / "kde" / "viewer.desktop").string(), "Viewer"},
    };
    EXPECT_EQ(DesktopEntries::scan(), expected);

    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(DesktopEntries::scan(stop.get_token()).empty());
}

TEST(DesktopEntries, LookupFindsInstalledEntriesInTheUsersLanguage) {
    struct Row {
        const char* language;
        const char* id;
        std::optional<std::string> name; // nothing: no entry
    };
    const Row rows[] = {
        {"C", "files.desktop", "Files"},
        {"de", "files.desktop", "Dateien"},
        {"ja_JP.UTF-8", "files.desktop", "ファイル"},
        {"pt_BR", "files.desktop", "Arquivos"},
        {"fr", "files.desktop", "Files"},
        {"C", "nodisplay.desktop", "NoDisplay"}, // installed, only not shown
        {"C", "kde-viewer.desktop", "Viewer"},
        {"C", "shared.desktop", "Shared user"},
        {"C", "absent.desktop", std::nullopt},
        {"C", "kde/viewer.desktop", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.language) + " " + row.id);
        ::setenv("LANGUAGE", row.language, 1);
        auto app = DesktopEntries::lookup(row.id);
        ASSERT_EQ(app.has_value(), row.name.has_value());
        if (app) {
            EXPECT_EQ(app->name, *row.name);
            EXPECT_EQ(app->id, row.id);
            EXPECT_EQ(DesktopEntries::desktopIdForPath(app->path), row.id);
        }
    }
    ::setenv("LANGUAGE", "C", 1);
}

TEST(DesktopEntries, IconNamesAndDesktopIDsOfFiles) {
    const auto root = docksRoot();
    struct Row {
        std::string path;
        std::optional<std::string> icon;
        std::optional<std::string> id;
    };
    const Row rows[] = {
        {(root / "sys1/applications/kde/viewer.desktop").string(), "/opt/viewer/viewer.png", "kde-viewer.desktop"},
        {(root / "home/applications/shared.desktop").string(), "shared-user", "shared.desktop"},
        {(root / "sys1/applications/shared.desktop").string(), "shared-system", "shared.desktop"},
        {(root / "sys1/applications/plain.desktop").string(), std::nullopt, "plain.desktop"},
        {(root / "sys1/applications/./kde/../kde/gone.desktop").string(), std::nullopt, "kde-gone.desktop"},
        {"/opt/elsewhere/tool.desktop", std::nullopt, "tool.desktop"},
        {"/opt/elsewhere/readme.txt", std::nullopt, std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.path);
        EXPECT_EQ(DesktopEntries::iconName(row.path), row.icon);
        EXPECT_EQ(DesktopEntries::desktopIdForPath(row.path), row.id);
    }
}

// No schema in the data folders: the stores say what to install, read nothing, and
// neither back up nor write.
TEST(DockStoresWithoutSchemas, SayWhatIsMissingAndWriteNothing) {
    struct Row {
        const char* name;
        const char* package;
        std::optional<std::string> reason;
        std::function<std::unique_ptr<DockPreferencesStore>()> make;
    };
    const Row rows[] = {
        {"gnome", "(install gnome-shell-common)", GSettingsFavoritesStore::unavailableReason(),
         [] { return std::make_unique<GSettingsFavoritesStore>(); }},
        {"plank", "(install plank)", PlankDockStore::unavailableReason(),
         [] { return std::make_unique<PlankDockStore>("dock1", docksRoot() / "launchers"); }},
    };
    const std::vector<plist::Dictionary> tiles{DockTile::make(*DesktopEntries::lookup("plain.desktop")).raw()};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(row.reason.has_value());
        EXPECT_THAT(*row.reason, HasSubstr(row.package));
        auto store = row.make();
        EXPECT_TRUE(store->persistentApps().empty());
        const std::function<void()> writes[] = {
            [&] { store->setPersistentApps(tiles); },
            [&] { store->snapshot(); },
            [&] { store->restore({}); },
        };
        for (const auto& write : writes) {
            try {
                write();
                ADD_FAILURE() << "no error";
            } catch (const DockPreferencesError& error) {
                EXPECT_EQ(error.code(), DockPreferencesError::Code::unavailable);
                EXPECT_EQ(error.detail(), *row.reason);
            }
        }
    }
    EXPECT_FALSE(std::filesystem::exists(docksRoot() / "launchers"));
}

} // namespace
} // namespace kestrine::testing
