#include <map>

#include "app/platform/linux/DesktopEntries.h"
#include "app/platform/linux/DesktopTiles.h"
#include "app/platform/linux/plank/PlankDockStore.h"
#include "app/platform/linux/plank/PlankRestarter.h"
#include "core/dock/DockPlanner.h"
#include "tests/app/platform/linux/stores/StoresTestSupport.h"

namespace kestrine::testing {
namespace {

namespace fs = std::filesystem;
using Ids = std::vector<std::optional<std::string>>;

std::string launcherItem(const std::string& uri, const std::string& extra = {}) {
    return "[PlankDockItemPreferences]\nLauncher=" + uri + "\n" + extra;
}

// A Plank dock with every kind of item, its files as written here.
struct PlankDock {
    fs::path launchers = PlankDockStore::defaultLaunchersDirectory("dock1");
    std::map<std::string, std::string> files{
        {"alpha.dockitem", launcherItem("file://" + entryPath(alphaId).string(), "# arranged by hand\n")},
        {"beta.dockitem", launcherItem("file://" + entryPath(betaId).string(), "# arranged by hand\n")},
        {"beta-again.dockitem", launcherItem("file://" + entryPath(betaId).string())},
        {"clock.dockitem", launcherItem("docklet://clock")},
        {"folder.dockitem", launcherItem("file:///tmp")},
        {"nolauncher.dockitem", "[PlankDockItemPreferences]\nPinned=true\n"},
        {"garbage.dockitem", std::string("\x01\x02 not a key file [", 20)},
        // Not listed, and not Gamma: a new Gamma item must not take its name.
        {"org.example.Gamma.dockitem", launcherItem("docklet://trash")},
        // Not listed either, but Plank shows it: the dock's last application.
        {"delta.dockitem", launcherItem("file://" + entryPath("example/delta.desktop").string())},
    };
    std::vector<std::string> items{"alpha.dockitem",  "clock.dockitem",   "beta.dockitem",
                                   "folder.dockitem", "nolauncher.dockitem", "unreadable.dockitem",
                                   "garbage.dockitem", "beta-again.dockitem", "ghost.dockitem"};

    /// Without the repeat of Beta: once the first Beta item is taken out, the repeat is
    /// the dock's Beta and switches treat it so.
    explicit PlankDock(bool withRepeat = true) {
        if (!withRepeat) {
            files.erase("beta-again.dockitem");
            std::erase(items, "beta-again.dockitem");
        }
        fs::remove_all(launchers);
        for (const auto& [name, bytes] : files) writeFileAtomically(launchers / name, bytes);
        fs::create_directories(launchers / "unreadable.dockitem"); // reading a folder fails
        setList("net.launchpad.plank.dock.settings", "/net/launchpad/plank/docks/dock1/", "dock-items", items);
    }

    std::map<std::string, std::string> filesNow() const {
        std::map<std::string, std::string> now;
        for (const auto& entry : fs::directory_iterator(launchers))
            if (entry.is_regular_file()) now[entry.path().filename().string()] = readFile(entry.path());
        return now;
    }
};

TEST(PlankDockStore, ApplicationsAreTilesAndEveryOtherItemKeepsOnlyItsPlace) {
    PlankDock dock;
    PlankDockStore store("dock1", dock.launchers);
    const auto tiles = store.persistentApps();
    const auto none = std::nullopt;
    EXPECT_EQ(identities(tiles), (Ids{alphaId, none, betaId, none, none, none, none, none, none, deltaId, none}));
    EXPECT_EQ(DockTile(tiles[0]).displayName(), "Alpha");
    EXPECT_EQ(DockTile(tiles[0]).fileURL()->path, entryPath(alphaId).string());
    // Written back as read: the files stay as they were, and every item is listed.
    store.setPersistentApps(tiles);
    auto listed = dock.items;
    listed.insert(listed.end(), {"delta.dockitem", "org.example.Gamma.dockitem"});
    EXPECT_EQ(outsideDockItems(), listed);
    EXPECT_EQ(dock.filesNow(), dock.files);
}

// Switches through the planner, one after the other, the tiles taken out kept as the
// controller keeps them.
TEST(PlankDockStore, SwitchesWriteMissingItemsAndRemoveTheFilesOfApplicationsTakenOut) {
    PlankDock dock(false);
    PlankDockStore store("dock1", dock.launchers);
    const std::vector<std::string> others{"folder.dockitem", "nolauncher.dockitem", "unreadable.dockitem",
                                          "garbage.dockitem", "ghost.dockitem", "org.example.Gamma.dockitem"};
    auto with = [&](std::vector<std::string> head) {
        head.insert(head.end(), others.begin(), others.end());
        return head;
    };
    struct Row {
        std::vector<std::string> preset;
        std::vector<std::string> items;
        std::vector<std::string> absent;
    };
    const Row rows[] = {
        {{gammaId, alphaId}, with({"org.example.Gamma-2.dockitem", "clock.dockitem", "alpha.dockitem"}), {"beta.dockitem", "delta.dockitem"}},
        {{betaId, alphaId}, with({"beta.dockitem", "clock.dockitem", "alpha.dockitem"}), {"org.example.Gamma-2.dockitem"}},
        {{}, with({"clock.dockitem"}), {"alpha.dockitem", "beta.dockitem"}},
        // Items that are not applications keep their index; stored tiles bring their files back.
        {{alphaId, gammaId, betaId},
         {"clock.dockitem", "folder.dockitem", "nolauncher.dockitem", "unreadable.dockitem", "garbage.dockitem",
          "ghost.dockitem", "org.example.Gamma.dockitem", "alpha.dockitem", "org.example.Gamma-2.dockitem",
          "beta.dockitem"},
         {}},
    };
    std::vector<DockTile> stored;
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.preset));
        std::vector<PresetApp> apps;
        for (const auto& id : row.preset) apps.push_back(*DesktopEntries::lookup(id));
        auto plan = DockPlanner::plan(asTiles(store.persistentApps()), stored, apps);
        store.setPersistentApps(asRaw(plan.tiles));
        stored = plan.stored;

        EXPECT_EQ(outsideDockItems(), row.items);
        const auto now = dock.filesNow();
        for (const auto& name : row.absent) EXPECT_FALSE(now.contains(name)) << name;
        for (const auto& [name, bytes] : dock.files) { // what comes back comes back as it was
            if (now.contains(name)) {
                EXPECT_EQ(now.at(name), bytes) << name;
            }
        }
        if (now.contains("org.example.Gamma-2.dockitem")) {
            EXPECT_EQ(now.at("org.example.Gamma-2.dockitem"), launcherItem("file://" + entryPath(gammaId).string()));
        }
    }
}

TEST(PlankDockStore, RestoreBringsBackTheItemsAndEveryLauncherFile) {
    PlankDock dock;
    PlankDockStore store("dock1", dock.launchers);
    const plist::Dictionary snapshot = store.snapshot();
    ASSERT_EQ(snapshot.at("launchers").dictionary()->size(), dock.files.size());

    auto apps = std::vector<PresetApp>{*DesktopEntries::lookup(deltaId)};
    store.setPersistentApps(asRaw(DockPlanner::plan(asTiles(store.persistentApps()), {}, apps).tiles));
    fs::remove(dock.launchers / "clock.dockitem");
    writeFileAtomically(dock.launchers / "alpha.dockitem", "changed");
    ASSERT_NE(dock.filesNow(), dock.files);

    store.restore(snapshot);
    EXPECT_EQ(outsideDockItems(), dock.items);
    EXPECT_EQ(dock.filesNow(), dock.files);
    // The files come back in another order than the dock's: a running Plank needs a restart.
    ASSERT_TRUE(store.orderToRestartFor().has_value());
    EXPECT_EQ(*store.orderToRestartFor(), (std::vector<std::string>{"alpha.dockitem", "clock.dockitem", "beta.dockitem",
                                                                     "folder.dockitem", "nolauncher.dockitem",
                                                                     "unreadable.dockitem", "garbage.dockitem",
                                                                     "beta-again.dockitem", "ghost.dockitem",
                                                                     "delta.dockitem", "org.example.Gamma.dockitem"}));
}

// A running Plank drops the items whose files go and appends those whose files appear, in
// the order they appear; any other order waits for a restart, which stores it again.
TEST(PlankDockStore, OnlyAnOrderPlankCannotReachByItselfWaitsForARestart) {
    const fs::path launchers = PlankDockStore::defaultLaunchersDirectory("dock1");
    fs::remove_all(launchers);
    const std::map<std::string, std::string> files{{"alpha.dockitem", launcherItem("file://" + entryPath(alphaId).string())},
                                                   {"beta.dockitem", launcherItem("file://" + entryPath(betaId).string())},
                                                   {"gamma.dockitem", launcherItem("file://" + entryPath(gammaId).string())},
                                                   {"clock.dockitem", launcherItem("docklet://clock")}};
    for (const auto& [name, bytes] : files) writeFileAtomically(launchers / name, bytes);
    setList("net.launchpad.plank.dock.settings", "/net/launchpad/plank/docks/dock1/", "dock-items",
            {"alpha.dockitem", "beta.dockitem", "clock.dockitem", "gamma.dockitem"});
    PlankDockStore store("dock1", launchers);
    std::map<std::string, plist::Dictionary> tiles; // each item's tile, its file's bytes with it
    for (const auto& tile : store.persistentApps()) tiles[*DesktopTiles::stringValue(tile, PlankDockStore::itemFileKey)] = tile;

    struct Row {
        std::vector<std::string> items; // written in this order, one row after the other
        bool restart;
    };
    const Row rows[] = {
        {{"alpha.dockitem", "beta.dockitem", "clock.dockitem", "gamma.dockitem"}, false}, // as it is
        {{"alpha.dockitem", "clock.dockitem", "gamma.dockitem"}, false},                  // one taken out
        {{"alpha.dockitem", "clock.dockitem", "gamma.dockitem", "beta.dockitem"}, false}, // one added at the end
        {{"gamma.dockitem", "alpha.dockitem", "clock.dockitem", "beta.dockitem"}, true},  // moved
        {{"gamma.dockitem", "alpha.dockitem", "clock.dockitem"}, false},
        {{"gamma.dockitem", "beta.dockitem", "alpha.dockitem", "clock.dockitem"}, true}, // added in between
        {{"clock.dockitem"}, false},
        {{"beta.dockitem", "clock.dockitem", "alpha.dockitem"}, true}, // added, the first before the docklet
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(::testing::PrintToString(row.items));
        std::vector<plist::Dictionary> written;
        for (const auto& name : row.items) written.push_back(tiles.at(name));
        store.setPersistentApps(written);
        ASSERT_EQ(outsideDockItems(), row.items);
        EXPECT_EQ(store.orderToRestartFor(), row.restart ? std::optional(row.items) : std::nullopt);
        if (!row.restart) continue;
        // What a running Plank writes back meanwhile gives way to the order asked for.
        setList("net.launchpad.plank.dock.settings", "/net/launchpad/plank/docks/dock1/", "dock-items", {"clock.dockitem"});
        store.reassertOrder();
        EXPECT_EQ(outsideDockItems(), row.items);
        EXPECT_EQ(store.orderToRestartFor(), std::nullopt);
    }
}

TEST(PlankRestarter, KnowsTheDockAPlankShowsFromItsArguments) {
    const std::pair<std::vector<std::string>, std::string> rows[] = {
        {{"plank"}, "dock1"},
        {{"/usr/bin/plank", "-n", "dock2"}, "dock2"},
        {{"plank", "--name", "work"}, "work"},
        {{"plank", "--name=work"}, "work"},
        {{"plank", "-nwork"}, "work"},
        {{"plank", "--verbose", "-n"}, "dock1"}, // no name after the option
    };
    for (const auto& [arguments, dock] : rows) EXPECT_EQ(PlankRestarter::dockOf(arguments), dock) << ::testing::PrintToString(arguments);
}

} // namespace
} // namespace kestrine::testing
