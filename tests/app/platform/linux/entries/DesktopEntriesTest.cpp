// The desktop-entry scan over generated entries in temporary XDG data folders that hold no
// GSettings schemas, so the dock stores find theirs missing.

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "tests/app/platform/linux/DocksTestSupport.h"

namespace kestrine::testing {

void prepareDocksWorld(const std::filesystem::path& root) {
    setEnvironment({{"GSETTINGS_SCHEMA_DIR", {}}, {"GSETTINGS_BACKEND", "keyfile"}, {"XDG_CONFIG_HOME", (root / "config").string()},
                    {"XDG_DATA_HOME", (root / "home").string()}, {"XDG_DATA_DIRS", (root / "sys1").string() + ":" + (root / "sys2").string()},
                    {"XDG_CURRENT_DESKTOP", "Kestrine"}, {"LANGUAGE", "C"}});
    const std::tuple<const char*, const char*, const char*> entries[] = { // under sys1/applications unless a folder is named
        {"plain", "plain 10", ""}, {"numbered", "Plain 9", ""}, {"nodisplay", "NoDisplay", "NoDisplay=true\n"},
        {"hidden", "Hidden", "Hidden=true\n"}, {"elsewhere", "Elsewhere", "OnlyShowIn=GNOME;\n"},
        {"here", "Here", "OnlyShowIn=GNOME;Kestrine;\n"}, {"nothere", "Not here", "NotShowIn=Kestrine;\n"},
        {"tryexec-missing", "Missing", "TryExec=/nonexistent/kestrine-tool\n"}, {"tryexec-found", "Found", "TryExec=/bin/sh\n"},
        {"kde/viewer", "Viewer", "Icon=/opt/viewer/viewer.png\n"}, {"shared", "Shared system", "Icon=shared-system\n"},
        {"twice", "Twice first", ""}, {"../../sys2/applications/twice", "Twice second", ""},
        {"../../home/applications/shared", "Shared user", "Icon= shared-user \n"}, {"files", "Files", "Name[de]=Dateien\n"}};
    for (const auto& [file, name, extra] : entries) writeDesktopEntry(root / "sys1/applications" / (std::string(file) + ".desktop"), name, extra);
}

const std::string sys1 = "sys1/applications/";

// What the scan shows: GIO's choice (precedence, Hidden, NoDisplay, OnlyShowIn/NotShowIn,
// TryExec, IDs of subfolders) in the bundle scan's order (numbers by value, case ignored).
TEST(DesktopEntries, ScanShowsWhatGIOSaysShouldBeShownInNameOrder) {
    std::vector<PresetApp> expected;
    for (const auto& [id, file, name] : {std::tuple{"files", "files", "Files"}, {"tryexec-found", "tryexec-found", "Found"}, {"here", "here", "Here"},
                                         {"numbered", "numbered", "Plain 9"}, {"plain", "plain", "plain 10"},
                                         {"shared", "../../home/applications/shared", "Shared user"}, {"twice", "twice", "Twice first"},
                                         {"kde-viewer", "kde/viewer", "Viewer"}})
        expected.emplace_back(std::string(id) + ".desktop", (docksRoot / sys1 / (std::string(file) + ".desktop")).lexically_normal().string(), name);
    EXPECT_EQ(DesktopEntries::scan(), expected);
    std::stop_source stop;
    stop.request_stop();
    EXPECT_TRUE(DesktopEntries::scan(stop.get_token()).empty());
}

TEST(DesktopEntries, LookupFindsInstalledEntriesInTheUsersLanguage) {
    struct Row { const char* language; const char* id; std::optional<std::string> name; };
    const Row rows[] = {
        {"C", "files.desktop", "Files"}, {"de", "files.desktop", "Dateien"}, {"fr", "files.desktop", "Files"},
        {"C", "kde-viewer.desktop", "Viewer"}, {"C", "shared.desktop", "Shared user"}, {"C", "nodisplay.desktop", "NoDisplay"}, // not shown
        {"C", "absent.desktop", std::nullopt}, {"C", "kde/viewer.desktop", std::nullopt}};
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.language) + " " + row.id);
        ::setenv("LANGUAGE", row.language, 1);
        const auto app = DesktopEntries::lookup(row.id);
        EXPECT_EQ(app ? std::optional(app->name) : std::nullopt, row.name);
        if (app) { EXPECT_EQ(std::pair(app->id, DesktopEntries::desktopIdForPath(app->path)), std::pair(std::string(row.id), std::optional<std::string>(row.id))); }
    }
}

TEST(DesktopEntries, IconNamesAndDesktopIDsOfFiles) {
    const std::string apps = (docksRoot / sys1).string();
    const std::tuple<std::string, std::optional<std::string>, std::optional<std::string>> rows[] = {
        {apps + "kde/viewer.desktop", "/opt/viewer/viewer.png", "kde-viewer.desktop"},
        {(docksRoot / "home/applications/shared.desktop").string(), "shared-user", "shared.desktop"},
        {apps + "shared.desktop", "shared-system", "shared.desktop"}, {apps + "plain.desktop", std::nullopt, "plain.desktop"},
        {apps + "./kde/../kde/gone.desktop", std::nullopt, "kde-gone.desktop"},
        {"/opt/elsewhere/tool.desktop", std::nullopt, "tool.desktop"}, {"/opt/elsewhere/readme.txt", std::nullopt, std::nullopt}};
    for (const auto& [path, icon, id] : rows)
        EXPECT_EQ(std::pair(DesktopEntries::iconName(path), DesktopEntries::desktopIdForPath(path)), std::pair(icon, id)) << path;
}

// No schema in the data folders: the stores say what to install, read nothing, and
// neither back up nor write.
TEST(DockStoresWithoutSchemas, SayWhatIsMissingAndWriteNothing) {
    GSettingsFavoritesStore gnome;
    PlankDockStore plank("dock1", docksRoot / "launchers");
    const std::tuple<DockPreferencesStore*, std::optional<std::string>, const char*> rows[] = {
        {&gnome, GSettingsFavoritesStore::unavailableReason(), "(install gnome-shell-common)"},
        {&plank, PlankDockStore::unavailableReason(), "(install plank)"}};
    const std::vector tiles{DockTile::make(*DesktopEntries::lookup("plain.desktop")).raw()};
    for (const auto& [store, reason, package] : rows) {
        EXPECT_THAT(reason.value_or(""), ::testing::HasSubstr(package));
        EXPECT_TRUE(store->persistentApps().empty());
        EXPECT_THAT([&] { store->setPersistentApps(tiles); }, throwsDockError(DockPreferencesError::Code::unavailable));
        EXPECT_THAT([&] { store->snapshot(); }, throwsDockError(DockPreferencesError::Code::unavailable));
        EXPECT_THAT([&] { store->restore({}); }, // the reason, for the user
                    ::testing::Throws<DockPreferencesError>(::testing::Property(&DockPreferencesError::detail, reason.value_or(""))));
    }
    EXPECT_FALSE(std::filesystem::exists(docksRoot / "launchers"));
}

} // namespace kestrine::testing
