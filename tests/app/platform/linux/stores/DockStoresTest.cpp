// The dock stores, and GNOME's custom shortcut, against the real schemas (org.gnome.shell, Plank,
// gnome-settings-daemon-common), through GIO's keyfile backend in a temporary XDG_CONFIG_HOME,
// with generated desktop entries.
#define G_SETTINGS_ENABLE_BACKEND
#include <gio/gio.h>
#include <gio/gsettingsbackend.h>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/DesktopTiles.h"
#include "app/platform/linux/gnome/GnomeCustomShortcut.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "core/dock/DockPlanner.h"
#include "tests/app/platform/linux/DocksTestSupport.h"

namespace kestrine::testing {

void prepareDocksWorld(const std::filesystem::path& root) {
    // The schemas come from the system; the applications from our folder first.
    setEnvironment({{"GSETTINGS_BACKEND", "keyfile"}, {"GSETTINGS_SCHEMA_DIR", {}}, {"XDG_CONFIG_HOME", (root / "config").string()},
                    {"XDG_DATA_HOME", (root / "home-data").string()}, {"XDG_DATA_DIRS", (root / "data").string() + ":/usr/local/share:/usr/share"},
                    {"LANGUAGE", "C"}});
    for (const auto& [file, name] : {std::pair{"org.example.Alpha", "Alpha"}, {"org.example.Beta", "Beta"}, {"org.example.Gamma", "Gamma"},
                                     {"example/delta", "Delta"}})
        writeDesktopEntry(root / "data/applications" / (std::string(file) + ".desktop"), name);
}

namespace fs = std::filesystem;
using Ids = std::vector<std::optional<std::string>>;
using Names = std::vector<std::string>;
const auto none = std::nullopt;

const std::string alphaId = "org.example.Alpha.desktop", betaId = "org.example.Beta.desktop",
                  gammaId = "org.example.Gamma.desktop", deltaId = "example-delta.desktop"; // example/delta.desktop
std::string entryPath(const std::string& file) { return (docksRoot / "data/applications" / file).string(); }
const std::string plankSchema = "net.launchpad.plank.dock.settings", plankPath = "/net/launchpad/plank/docks/dock1/";

/// Sets a string list directly through GSettings (default backend).
void setList(const std::string& schema, const std::string& path, const char* key, const Names& values) {
    g_autoptr(GSettings) settings = path.empty() ? g_settings_new(schema.c_str()) : g_settings_new_with_path(schema.c_str(), path.c_str());
    std::vector<const gchar*> strings(values.size() + 1);
    std::ranges::transform(values, strings.begin(), &std::string::c_str);
    ASSERT_TRUE(g_settings_set_strv(settings, key, strings.data()));
    g_settings_sync();
}
void setDockItems(const Names& values) { setList(plankSchema, plankPath, "dock-items", values); }

/// What another process reads: `gsettings get` run with this process's environment.
Names outsideList(const std::string& key = "dock-items", std::string schemaAndPath = plankSchema + ":" + plankPath) {
    g_autofree gchar* text = nullptr;
    g_spawn_command_line_sync(("gsettings get " + schemaAndPath + " " + key).c_str(), &text, nullptr, nullptr, nullptr);
    g_autoptr(GVariant) value = g_variant_parse(G_VARIANT_TYPE_STRING_ARRAY, text ? text : "", nullptr, nullptr, nullptr);
    if (!value) return {"(gsettings printed no list)"};
    g_autofree const gchar** strings = g_variant_get_strv(value, nullptr);
    return Names(strings, strings + g_strv_length(const_cast<gchar**>(strings)));
}

/// The presets' applications by desktop ID; those without an entry as the dock has them.
std::vector<PresetApp> presetOf(const Names& ids, const std::vector<DockTile>& dock = {}) {
    std::vector<PresetApp> apps;
    for (const auto& id : ids) {
        if (auto app = DesktopEntries::lookup(id)) apps.push_back(*app);
        else for (const auto& app : DockPlanner::apps(dock)) if (app.id == id) apps.push_back(app);
    }
    return apps;
}

/// The tiles as "name:entry file" (relative to the applications folder, empty without a file URL).
Names shown(const std::vector<plist::Dictionary>& tiles) {
    Names result;
    for (const DockTile& tile : asTiles(tiles))
        result.push_back(tile.displayName() + ":" + (tile.fileURL() ? fs::relative(tile.fileURL()->path, entryPath("")).string() : ""));
    return result;
}

// Each entry is read as a tile, written back or restored unchanged; switches go through the
// planner, as the controller does them, and keep what is not an application in place.
TEST(GSettingsFavoritesStore, ReadsWritesAndSwitchesKeepWhatIsNotAnApplicationInPlace) {
    struct Row { Names stored; Ids ids; Names shown, preset, written; bool settled = true; }; // settled: the same preset again changes nothing
    const Row rows[] = {
        // Strings that are not desktop IDs keep their place without identity.
        {{alphaId, "junk", "", "x/y.desktop", betaId}, {alphaId, none, none, none, betaId}, {"Alpha:" + alphaId, "?:", "?:", "?:", "Beta:" + betaId},
         {betaId}, {betaId, "junk", "", "x/y.desktop"}},
        // Once the first Alpha is gone, the repeat is the dock's Alpha: the next switch takes it out.
        {{alphaId, alphaId, betaId}, {alphaId, none, betaId}, {"Alpha:" + alphaId, "?:", "Beta:" + betaId}, {betaId}, {betaId, alphaId}, false},
        // An ID without an installed entry: the ID is its name, it has no file, and it moves with the preset.
        {{alphaId, "gone.desktop", betaId}, {alphaId, "gone.desktop", betaId}, {"Alpha:" + alphaId, "gone.desktop:", "Beta:" + betaId},
         {betaId, "gone.desktop", alphaId}, {betaId, "gone.desktop", alphaId}},
        {{deltaId}, {deltaId}, {"Delta:example/delta.desktop"}, {gammaId, deltaId}, {gammaId, deltaId}}, // new from the scan
        {{}, {}, {}, {}, {}}};
    GSettingsFavoritesStore store;
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.stored));
        setList("org.gnome.shell", "", "favorite-apps", row.stored);
        const auto tiles = store.persistentApps();
        const plist::Dictionary snapshot = store.snapshot();
        EXPECT_EQ(std::pair(identities(tiles), shown(tiles)), std::pair(row.ids, row.shown));
        for (const auto& write : std::initializer_list<std::function<void()>>{[&] { store.setPersistentApps(tiles); },
                                                                               [&] { store.restore(snapshot); }}) {
            setList("org.gnome.shell", "", "favorite-apps", {gammaId});
            write();
            EXPECT_EQ(outsideList("favorite-apps", "org.gnome.shell"), row.stored);
        }
        const auto apps = presetOf(row.preset, asTiles(tiles));
        store.setPersistentApps(asRaw(DockPlanner::plan(asTiles(tiles), {}, apps).tiles));
        EXPECT_EQ(outsideList("favorite-apps", "org.gnome.shell"), row.written);
        EXPECT_EQ(DockPlanner::plan(asTiles(store.persistentApps()), {}, apps).changed, !row.settled);
    }
}

std::string launcherItem(const std::string& uri, const std::string& extra = {}) { return "[PlankDockItemPreferences]\nLauncher=" + uri + "\n" + extra; }

// A key the administrator locked: a clear error and nothing changed, on both docks.
TEST(LockedDockSettings, RefuseWritesAndChangeNothing) {
    const auto folder = docksRoot / "locked", launchers = folder / "launchers";
    writeFileAtomically(launchers / "alpha.dockitem", launcherItem("file://" + entryPath(alphaId)));
    writeFileAtomically(folder / "defaults", "[org/gnome/shell]\nfavorite-apps=['" + alphaId + "']\n"
                                             "[net/launchpad/plank/docks/dock1]\ndock-items=['alpha.dockitem']\n");
    writeFileAtomically(folder / "locks", "/org/gnome/shell/favorite-apps\n/net/launchpad/plank/docks/dock1/dock-items\n");
    // A keyfile backend with the administrator's defaults and locks ("defaults" and "locks", as
    // /etc/glib-2.0/settings holds them). Its type is registered by its constructor; only its
    // properties take a defaults folder.
    g_object_unref(g_keyfile_settings_backend_new((folder / "probe").c_str(), "/", nullptr));
    GSettingsBackend* backend = G_SETTINGS_BACKEND(g_object_new(g_type_from_name("GKeyfileSettingsBackend"), "filename",
                                                                (folder / "keyfile").c_str(), "defaults-dir", folder.c_str(), nullptr));
    GSettingsFavoritesStore gnome(backend);
    PlankDockStore plank("dock1", launchers, backend);
    g_object_unref(backend);
    const std::vector gamma{DockTile::make(*DesktopEntries::lookup(gammaId)).raw()};
    const std::pair<DockPreferencesStore*, std::function<void()>> writes[] = {
        {&gnome, [&] { gnome.setPersistentApps(gamma); }}, {&gnome, [&] { gnome.restore({}); }},
        {&plank, [&] { plank.setPersistentApps(gamma); }}, {&plank, [&] { plank.restore({{"launchers", plist::Dictionary{}}}); }}};
    for (const auto& [store, write] : writes) {
        const auto before = store->snapshot();
        ASSERT_FALSE(before.empty());
        EXPECT_THAT(write, throwsDockError(DockPreferencesError::Code::writeRefused));
        EXPECT_EQ(std::pair(store->snapshot(), identities(store->persistentApps())), std::pair(before, Ids{alphaId}));
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(launchers), {}), 1);
}

// A Plank dock with every kind of item, its files as written here.
struct PlankDock {
    fs::path launchers = PlankDockStore::defaultLaunchersDirectory("dock1");
    std::map<std::string, std::string> files{
        {"alpha.dockitem", launcherItem("file://" + entryPath(alphaId), "# arranged by hand\n")},
        {"beta.dockitem", launcherItem("file://" + entryPath(betaId), "# arranged by hand\n")},
        {"beta-again.dockitem", launcherItem("file://" + entryPath(betaId))}, {"clock.dockitem", launcherItem("docklet://clock")},
        {"folder.dockitem", launcherItem("file:///tmp")}, {"nolauncher.dockitem", "[PlankDockItemPreferences]\nPinned=true\n"},
        {"garbage.dockitem", std::string("\x01\x02 not a key file [", 20)},
        // Not listed, and not Gamma: a new Gamma item must not take its name.
        {"org.example.Gamma.dockitem", launcherItem("docklet://trash")},
        // Not listed either, but Plank shows it: the dock's last application.
        {"delta.dockitem", launcherItem("file://" + entryPath("example/delta.desktop"))},
        // Hidden, so Plank does not show it.
        {".hidden.dockitem", launcherItem("file://" + entryPath("example/hidden.desktop"))}};
    Names items{"alpha.dockitem", "clock.dockitem", "beta.dockitem", "folder.dockitem", "nolauncher.dockitem",
                "unreadable.dockitem", "garbage.dockitem", "beta-again.dockitem", "ghost.dockitem"};

    /// Without the repeat of Beta: once the first Beta item is taken out, the repeat is the
    /// dock's Beta and switches treat it so.
    explicit PlankDock(bool withRepeat = true) {
        if (!withRepeat) { files.erase("beta-again.dockitem"); std::erase(items, "beta-again.dockitem"); }
        fs::remove_all(launchers);
        for (const auto& [name, bytes] : files) writeFileAtomically(launchers / name, bytes);
        fs::create_directories(launchers / "unreadable.dockitem"); // reading a folder fails
        setDockItems(items);
    }
    std::map<std::string, std::string> filesNow() const {
        std::map<std::string, std::string> now;
        for (const auto& entry : fs::directory_iterator(launchers))
            if (entry.is_regular_file()) now[entry.path().filename().string()] = readFile(entry.path());
        return now;
    }
};

// Switches through the planner, one after the other, the tiles taken out kept as the
// controller keeps them.
TEST(PlankDockStore, SwitchesWriteMissingItemsAndRemoveTheFilesOfApplicationsTakenOut) {
    PlankDock dock(false);
    PlankDockStore store("dock1", dock.launchers);
    const std::string gamma2 = "org.example.Gamma-2.dockitem";
    const Names others{"folder.dockitem", "nolauncher.dockitem", "unreadable.dockitem", "garbage.dockitem",
                       "ghost.dockitem", "org.example.Gamma.dockitem"};
    auto with = [&](Names head, const Names& tail = {}) {
        for (const Names* more : {&others, &tail}) head.insert(head.end(), more->begin(), more->end());
        return head;
    };
    struct Row { Names preset, items, absent; };
    const Row rows[] = {
        {{gammaId, alphaId}, with({gamma2, "clock.dockitem", "alpha.dockitem"}), {"beta.dockitem", "delta.dockitem"}},
        {{betaId, alphaId}, with({"beta.dockitem", "clock.dockitem", "alpha.dockitem"}), {gamma2}},
        {{}, with({"clock.dockitem"}), {"alpha.dockitem", "beta.dockitem"}},
        // Items that are not applications keep their index; stored tiles bring their files back.
        {{alphaId, gammaId, betaId}, with({"clock.dockitem"}, {"alpha.dockitem", gamma2, "beta.dockitem"}), {}}};
    std::vector<DockTile> stored;
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.preset));
        auto plan = DockPlanner::plan(asTiles(store.persistentApps()), stored, presetOf(row.preset));
        store.setPersistentApps(asRaw(plan.tiles));
        stored = plan.stored;
        EXPECT_EQ(outsideList(), row.items);
        auto now = dock.filesNow();
        for (const auto& name : row.absent) EXPECT_FALSE(now.contains(name)) << name;
        if (now.contains(gamma2)) { EXPECT_EQ(now.extract(gamma2).mapped(), launcherItem("file://" + entryPath(gammaId))); }
        for (const auto& [name, bytes] : now) EXPECT_EQ(bytes, dock.files.at(name)) << "comes back as it was: " << name;
    }
}

// Applications are tiles; every other item keeps only its place, and its file as it was.
TEST(PlankDockStore, WritingBackOrRestoringKeepsEveryItemAndLauncherFile) {
    PlankDock dock;
    PlankDockStore store("dock1", dock.launchers);
    const auto tiles = store.persistentApps();
    const plist::Dictionary snapshot = store.snapshot();
    Names all = dock.items; // with those not listed, in the order in which Plank shows them
    all.insert(all.end(), {"delta.dockitem", "org.example.Gamma.dockitem"});
    EXPECT_EQ(std::pair(identities(tiles), shown(tiles)[0]),
              std::pair(Ids{alphaId, none, betaId, none, none, none, none, none, none, deltaId, none}, "Alpha:" + alphaId));
    store.setPersistentApps(tiles);
    EXPECT_EQ(std::pair(outsideList(), dock.filesNow()), std::pair(all, dock.files)) << "every item listed";
    store.setPersistentApps(asRaw(DockPlanner::plan(asTiles(tiles), {}, presetOf({deltaId})).tiles));
    fs::remove(dock.launchers / "clock.dockitem");
    writeFileAtomically(dock.launchers / "alpha.dockitem", "changed");
    store.restore(snapshot);
    EXPECT_EQ(std::pair(outsideList(), dock.filesNow()), std::pair(dock.items, dock.files));
    // The files come back in another order than the dock's: a running Plank needs a restart.
    EXPECT_EQ(store.orderToRestartFor(), all);
}

// A running Plank drops the items whose files go and appends those whose files appear, in
// the order they appear; any other order waits for a restart, which stores it again.
TEST(PlankDockStore, OnlyAnOrderPlankCannotReachByItselfWaitsForARestart) {
    const fs::path launchers = PlankDockStore::defaultLaunchersDirectory("dock1");
    fs::remove_all(launchers);
    for (const auto& [name, id] : {std::pair{"alpha", alphaId}, {"beta", betaId}, {"gamma", gammaId}})
        writeFileAtomically(launchers / (std::string(name) + ".dockitem"), launcherItem("file://" + entryPath(id)));
    writeFileAtomically(launchers / "clock.dockitem", launcherItem("docklet://clock"));
    setDockItems({"alpha.dockitem", "beta.dockitem", "clock.dockitem", "gamma.dockitem"});
    PlankDockStore store("dock1", launchers);
    std::map<char, plist::Dictionary> tiles; // each item's tile by its first letter, its file's bytes with it
    for (const auto& tile : store.persistentApps()) tiles[DesktopTiles::stringValue(tile, PlankDockStore::itemFileKey)->at(0)] = tile;
    const std::pair<std::string, bool> rows[] = { // written in this order, one after the other; a restart?
        {"abcg", false}, {"acg", false}, {"acgb", false}, // as it is, one taken out, one added at the end
        {"gacb", true}, {"gac", false}, {"gbac", true}, // moved; taken out; added in between
        {"c", false}, {"bca", true}, // added, the first before the docklet
    };
    for (const auto& [letters, restart] : rows) {
        SCOPED_TRACE(letters);
        std::vector<plist::Dictionary> written;
        Names items;
        for (const char letter : letters) written.push_back(tiles.at(letter));
        for (const auto& tile : written) items.push_back(*DesktopTiles::stringValue(tile, PlankDockStore::itemFileKey));
        store.setPersistentApps(written);
        ASSERT_EQ(outsideList(), items);
        EXPECT_EQ(store.orderToRestartFor(), restart ? std::optional(items) : std::nullopt);
        if (!restart) continue;
        // What a running Plank writes back meanwhile gives way to the order asked for.
        setDockItems({"clock.dockitem"});
        store.reassertOrder();
        EXPECT_EQ(std::pair(outsideList(), store.orderToRestartFor()), std::pair(items, std::optional<Names>()));
    }
}

// GNOME's keyboard settings list the user's own custom shortcuts beside ours.
TEST(GnomeCustomShortcutTest, AddingTwiceOrRemovingLeavesTheUsersOtherShortcutsAlone) {
    using Shortcut = GnomeCustomShortcut;
    if (!Shortcut::isAvailable()) GTEST_SKIP() << "needs gnome-settings-daemon-common";
    auto listed = [] { return outsideList(Shortcut::listKey, Shortcut::listSchema); };
    auto keyfile = [] { return readFile(docksRoot / "config/glib-2.0/settings/keyfile"); };
    const std::string mine = "/org/gnome/settings-daemon/plugins/media-keys/custom-keybindings/custom0/";
    g_autoptr(GSettings) other = g_settings_new_with_path(Shortcut::bindingSchema, mine.c_str());
    g_settings_set_string(other, "binding", "<Super>t");
    setList(Shortcut::listSchema, "", Shortcut::listKey, {mine});
    EXPECT_EQ(Shortcut::current(), std::nullopt);
    const Shortcut::Binding binding{"Kestrine key panel", "kestrine panel", "<Control><Alt>d"};
    ASSERT_TRUE(Shortcut::add(binding));
    EXPECT_EQ(std::pair(listed(), Shortcut::current()), std::pair(Names{mine, Shortcut::path}, std::optional(binding)));
    const std::string written = keyfile();
    ASSERT_TRUE(Shortcut::add(binding));
    EXPECT_EQ(keyfile(), written) << "a second press changes nothing";
    // A changed shortcut replaces the binding in place.
    ASSERT_TRUE(Shortcut::add({binding.name, binding.command, "<Super>k"}));
    EXPECT_EQ(std::pair(listed().size(), Shortcut::current()->binding), std::pair(std::size_t{2}, std::string("<Super>k")));
    // Removed, its keys go too; the user's own shortcut stays.
    ASSERT_TRUE(Shortcut::remove());
    EXPECT_EQ(std::pair(listed(), Shortcut::current()), std::pair(Names{mine}, std::optional<Shortcut::Binding>()));
    const std::string left = keyfile();
    EXPECT_EQ(std::pair(left.find("kestrine panel"), left.find("<Super>t") != std::string::npos), std::pair(std::string::npos, true)) << left;
}

} // namespace kestrine::testing
