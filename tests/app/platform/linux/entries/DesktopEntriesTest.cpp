// The desktop-entry scan over generated entries in temporary XDG data folders that hold no
// GSettings schemas, so the dock stores find theirs missing.
#include <stop_token>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "tests/app/platform/linux/DocksTestSupport.h"

namespace kestrine::testing {

void prepareDocksWorld(const std::filesystem::path& root) {
    ::unsetenv("GSETTINGS_SCHEMA_DIR");
    ::setenv("GSETTINGS_BACKEND", "keyfile", 1);
    ::setenv("XDG_CONFIG_HOME", (root / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / "home").c_str(), 1);
    ::setenv("XDG_DATA_DIRS", ((root / "sys1").string() + ":" + (root / "sys2").string()).c_str(), 1);
    ::setenv("XDG_CURRENT_DESKTOP", "Kestrine", 1);
    ::setenv("LANGUAGE", "C", 1);
    const auto sys1 = root / "sys1" / "applications";
    writeDesktopEntry(sys1 / "plain.desktop", "plain 10");
    writeDesktopEntry(sys1 / "numbered.desktop", "Plain 9");
    writeDesktopEntry(sys1 / "nodisplay.desktop", "NoDisplay", "NoDisplay=true\n");
    writeDesktopEntry(sys1 / "hidden.desktop", "Hidden", "Hidden=true\n");
    writeDesktopEntry(sys1 / "elsewhere.desktop", "Elsewhere", "OnlyShowIn=GNOME;\n");
    writeDesktopEntry(sys1 / "here.desktop", "Here", "OnlyShowIn=GNOME;Kestrine;\n");
    writeDesktopEntry(sys1 / "nothere.desktop", "Not here", "NotShowIn=Kestrine;\n");
    writeDesktopEntry(sys1 / "tryexec-missing.desktop", "Missing", "TryExec=/nonexistent/kestrine-tool\n");
    writeDesktopEntry(sys1 / "tryexec-found.desktop", "Found", "TryExec=/bin/sh\n");
    writeDesktopEntry(sys1 / "kde" / "viewer.desktop", "Viewer", "Icon=/opt/viewer/viewer.png\n");
    writeDesktopEntry(sys1 / "shared.desktop", "Shared system", "Icon=shared-system\n");
    writeDesktopEntry(sys1 / "twice.desktop", "Twice first");
    writeDesktopEntry(root / "sys2" / "applications" / "twice.desktop", "Twice second");
    writeDesktopEntry(root / "home" / "applications" / "shared.desktop", "Shared user", "Icon= shared-user \n");
    writeDesktopEntry(sys1 / "files.desktop", "Files", "Name[de]=Dateien\n");
}

namespace {

// What the scan shows: GIO's choice (precedence, Hidden, NoDisplay, OnlyShowIn/NotShowIn,
// TryExec, IDs of subfolders) in the bundle scan's order (numbers by value, case ignored).
TEST(DesktopEntries, ScanShowsWhatGIOSaysShouldBeShownInNameOrder) {
    const auto sys1 = docksRoot / "sys1" / "applications";
    auto app = [&](const char* id, const std::filesystem::path& file, const char* name) { return PresetApp(id, file.string(), name); };
    const std::vector<PresetApp> expected{
        app("files.desktop", sys1 / "files.desktop", "Files"),
        app("tryexec-found.desktop", sys1 / "tryexec-found.desktop", "Found"),
        app("here.desktop", sys1 / "here.desktop", "Here"),
        app("numbered.desktop", sys1 / "numbered.desktop", "Plain 9"),
        app("plain.desktop", sys1 / "plain.desktop", "plain 10"),
        app("shared.desktop", docksRoot / "home/applications/shared.desktop", "Shared user"),
        app("twice.desktop", sys1 / "twice.desktop", "Twice first"),
        app("kde-viewer.desktop", sys1 / "kde/viewer.desktop", "Viewer"),
    };
    EXPECT_EQ(DesktopEntries::scan(), expected);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(DesktopEntries::scan(stop.get_token()).empty());
}

TEST(DesktopEntries, LookupFindsInstalledEntriesInTheUsersLanguage) {
    struct Row { const char* language; const char* id; std::optional<std::string> name; };
    const Row rows[] = {
        {"C", "files.desktop", "Files"}, {"de", "files.desktop", "Dateien"}, {"fr", "files.desktop", "Files"},
        {"C", "nodisplay.desktop", "NoDisplay"}, // installed, only not shown
        {"C", "kde-viewer.desktop", "Viewer"}, {"C", "shared.desktop", "Shared user"},
        {"C", "absent.desktop", std::nullopt}, {"C", "kde/viewer.desktop", std::nullopt},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.language) + " " + row.id);
        ::setenv("LANGUAGE", row.language, 1);
        const auto app = DesktopEntries::lookup(row.id);
        EXPECT_EQ(app ? std::optional(app->name) : std::nullopt, row.name);
        if (app) { EXPECT_EQ(app->id, row.id); }
        if (app) { EXPECT_EQ(DesktopEntries::desktopIdForPath(app->path), row.id); }
    }
    ::setenv("LANGUAGE", "C", 1);
}

TEST(DesktopEntries, IconNamesAndDesktopIDsOfFiles) {
    const std::string sys1 = (docksRoot / "sys1/applications/").string();
    const std::tuple<std::string, std::optional<std::string>, std::optional<std::string>> rows[] = {
        {sys1 + "kde/viewer.desktop", "/opt/viewer/viewer.png", "kde-viewer.desktop"},
        {(docksRoot / "home/applications/shared.desktop").string(), "shared-user", "shared.desktop"},
        {sys1 + "shared.desktop", "shared-system", "shared.desktop"},
        {sys1 + "plain.desktop", std::nullopt, "plain.desktop"},
        {sys1 + "./kde/../kde/gone.desktop", std::nullopt, "kde-gone.desktop"},
        {"/opt/elsewhere/tool.desktop", std::nullopt, "tool.desktop"},
        {"/opt/elsewhere/readme.txt", std::nullopt, std::nullopt},
    };
    for (const auto& [path, icon, id] : rows) {
        EXPECT_EQ(DesktopEntries::iconName(path), icon) << path;
        EXPECT_EQ(DesktopEntries::desktopIdForPath(path), id) << path;
    }
}

// No schema in the data folders: the stores say what to install, read nothing, and
// neither back up nor write.
TEST(DockStoresWithoutSchemas, SayWhatIsMissingAndWriteNothing) {
    GSettingsFavoritesStore gnome;
    PlankDockStore plank("dock1", docksRoot / "launchers");
    const std::tuple<DockPreferencesStore*, std::optional<std::string>, const char*> rows[] = {
        {&gnome, GSettingsFavoritesStore::unavailableReason(), "(install gnome-shell-common)"},
        {&plank, PlankDockStore::unavailableReason(), "(install plank)"},
    };
    const std::vector tiles{DockTile::make(*DesktopEntries::lookup("plain.desktop")).raw()};
    const auto unavailable = throwsDockError(DockPreferencesError::Code::unavailable);
    for (const auto& [store, reason, package] : rows) {
        EXPECT_THAT(reason.value_or(""), ::testing::HasSubstr(package));
        EXPECT_TRUE(store->persistentApps().empty());
        EXPECT_THAT([&] { store->setPersistentApps(tiles); }, unavailable);
        EXPECT_THAT([&] { store->snapshot(); }, unavailable);
        EXPECT_THAT([&] { store->restore({}); }, // the reason, for the user
                    ::testing::Throws<DockPreferencesError>(::testing::Property(&DockPreferencesError::detail, reason.value_or(""))));
    }
    EXPECT_FALSE(std::filesystem::exists(docksRoot / "launchers"));
}

} // namespace
} // namespace kestrine::testing
