
#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/gnome/GSettingsFavoritesStore.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "core/dock/DockPlanner.h"
#include "core/system/DockPreferencesError.h"
#include "tests/app/platform/linux/stores/StoresTestSupport.h"

namespace kestrine::testing {
namespace {

using Ids = std::vector<std::optional<std::string>>;

void setFavorites(const std::vector<std::string>& values) { setList("org.gnome.shell", nullptr, "favorite-apps", values); }

TEST(GSettingsFavoritesStore, ReadsEachEntryAsATileAndWritesThemBackUnchanged) {
    struct Row {
        std::vector<std::string> stored;
        Ids identities;
        std::vector<std::string> names;
        std::vector<std::string> files; // of the application tiles; empty: no file URL
    };
    const Row rows[] = {
        {{alphaId, deltaId}, {alphaId, deltaId}, {"Alpha", "Delta"},
         {entryPath(alphaId).string(), entryPath("example/delta.desktop").string()}},
        // Repeats and strings that are not desktop IDs keep their place without identity.
        {{alphaId, "junk", alphaId, "", "x/y.desktop", betaId},
         {alphaId, std::nullopt, std::nullopt, std::nullopt, std::nullopt, betaId},
         {"Alpha", "?", "?", "?", "?", "Beta"}, {entryPath(alphaId).string(), "", "", "", "", entryPath(betaId).string()}},
        // An ID without an installed entry: the ID is its name, and it has no file.
        {{"gone.desktop", betaId}, {"gone.desktop", betaId}, {"gone.desktop", "Beta"}, {"", entryPath(betaId).string()}},
        {{}, {}, {}, {}},
    };
    GSettingsFavoritesStore store;
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.stored));
        setFavorites(row.stored);
        const auto tiles = store.persistentApps();
        EXPECT_EQ(identities(tiles), row.identities);
        std::vector<std::string> names, files;
        for (const auto& tile : tiles) {
            names.push_back(DockTile(tile).displayName());
            auto url = DockTile(tile).fileURL();
            files.push_back(url ? url->path : "");
        }
        EXPECT_EQ(names, row.names);
        EXPECT_EQ(files, row.files);

        setFavorites({gammaId});
        store.setPersistentApps(tiles);
        EXPECT_EQ(outsideFavorites(), row.stored);
    }
}

// Switches through the planner, as the controller does them.
TEST(GSettingsFavoritesStore, SwitchesKeepWhatIsNotAnApplicationInPlace) {
    struct Row {
        const char* name;
        std::vector<std::string> stored;
        std::vector<std::string> preset; // desktop IDs; those without entry come from the dock
        std::vector<std::string> written;
        bool settled = true; // the same preset again changes nothing
    };
    const Row rows[] = {
        {"junk stays at its index", {alphaId, "junk", betaId}, {betaId}, {betaId, "junk"}},
        // Once the first Alpha is gone, the repeat is the dock's Alpha: the next switch takes
        // it out like any application.
        {"a repeat stays, once", {alphaId, alphaId, betaId}, {betaId}, {betaId, alphaId}, false},
        {"an ID without entry moves with the preset", {alphaId, "gone.desktop", betaId},
         {betaId, "gone.desktop", alphaId}, {betaId, "gone.desktop", alphaId}},
        {"new applications from the scan", {}, {gammaId, deltaId}, {gammaId, deltaId}},
    };
    GSettingsFavoritesStore store;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        setFavorites(row.stored);
        const auto current = asTiles(store.persistentApps());
        std::vector<PresetApp> apps;
        const auto inDock = DockPlanner::apps(current);
        for (const auto& id : row.preset) {
            if (auto app = DesktopEntries::lookup(id)) apps.push_back(*app);
            for (const auto& app : inDock)
                if (app.id == id && !DesktopEntries::lookup(id)) apps.push_back(app);
        }
        store.setPersistentApps(asRaw(DockPlanner::plan(current, {}, apps).tiles));
        EXPECT_EQ(outsideFavorites(), row.written);
        // The same preset again finds nothing to change.
        EXPECT_EQ(DockPlanner::plan(asTiles(store.persistentApps()), {}, apps).changed, !row.settled);
    }
}

TEST(GSettingsFavoritesStore, RestoresTheSnapshotExactly) {
    GSettingsFavoritesStore store;
    const std::vector<std::string> original{alphaId, "junk", alphaId, "gone.desktop"};
    setFavorites(original);
    const plist::Dictionary snapshot = store.snapshot();
    setFavorites({betaId});
    store.restore(snapshot);
    EXPECT_EQ(outsideFavorites(), original);
}

// A key the administrator locked: a clear error and nothing changed, on both docks.
TEST(LockedDockSettings, RefuseWritesAndChangeNothing) {
    const auto folder = docksRoot() / "locked";
    const auto launchers = folder / "launchers";
    writeFileAtomically(launchers / "alpha.dockitem",
                        "[PlankDockItemPreferences]\nLauncher=file://" + entryPath(alphaId).string() + "\n");
    GSettingsBackend* backend = lockedBackend(folder,
                                              "[org/gnome/shell]\nfavorite-apps=['" + alphaId + "']\n"
                                              "[net/launchpad/plank/docks/dock1]\ndock-items=['alpha.dockitem']\n",
                                              "/org/gnome/shell/favorite-apps\n"
                                              "/net/launchpad/plank/docks/dock1/dock-items\n");
    GSettingsFavoritesStore gnome(backend);
    PlankDockStore plank("dock1", launchers, backend);
    g_object_unref(backend);

    const std::vector<plist::Dictionary> gamma{DockTile::make(*DesktopEntries::lookup(gammaId)).raw()};
    struct Row {
        const char* name;
        DockPreferencesStore* store;
        std::function<void()> write;
    };
    const Row rows[] = {
        {"gnome set", &gnome, [&] { gnome.setPersistentApps(gamma); }},
        {"gnome restore", &gnome, [&] { gnome.restore({}); }},
        {"plank set", &plank, [&] { plank.setPersistentApps(gamma); }},
        {"plank restore", &plank, [&] { plank.restore({{"launchers", plist::Dictionary{}}}); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto before = row.store->snapshot();
        ASSERT_FALSE(before.empty());
        try {
            row.write();
            ADD_FAILURE() << "no error";
        } catch (const DockPreferencesError& error) {
            EXPECT_EQ(error.code(), DockPreferencesError::Code::writeRefused);
            EXPECT_FALSE(error.detail().empty());
        }
        EXPECT_EQ(row.store->snapshot(), before);
        EXPECT_EQ(identities(row.store->persistentApps()), Ids{alphaId});
    }
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(launchers), {}), 1);
}

} // namespace
} // namespace kestrine::testing
