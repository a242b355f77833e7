// The controller's Dock writes over recording fakes: the order of the steps, and what a
// failure at each step leaves behind.

#include <functional>

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "core/dock/DockChangeBatcher.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

using Calls = std::vector<std::string>;

class DockControllerWritesTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSystem> system = std::make_shared<FakeSystem>();
    std::shared_ptr<DockController> c;

    /// A Dock of a, b, c, d with a spacer, and three presets; bootstrapped, log cleared.
    void SetUp() override {
        system->setDock({appTile("a", 1), appTile("b", 2), spacerTile(3), appTile("c", 4), appTile("d", 5)});
        system->dock["persistent-others"] = plist::Value(plist::Array{plist::Value("Downloads")});
        c = makeController(system);
        c->bootstrap("Home", "🏠");
        c->createPreset("Small", std::nullopt, apps({"d", "a"}));
        c->createPreset("Other", std::nullopt, apps({"a", "b", "c", "d"}));
        system->log.clear();
        system->saves = 0;
    }

    std::string idOf(const std::string& name) {
        for (auto& p : c->state().presets)
            if (p.name == name) return p.id;
        throw std::runtime_error("no preset " + name);
    }
};

} // namespace

TEST_F(DockControllerWritesTest, ApplyThatRemovesTilesRunsEveryStepInOrder) {
    const plist::Dictionary before = system->dock;
    ApplyResult result = c->apply(apps({"d", "a"}));

    EXPECT_EQ(result, (ApplyResult{true, true}));
    EXPECT_EQ(system->log.calls, (Calls{"persistentApps", "snapshot", "saveBackup", "setPersistentApps", "save", "restart"}));
    EXPECT_EQ(tileIDs(system->dockTiles()), (Calls{"d", "a", "?"})) << "the spacer keeps its index, clamped";
    ASSERT_EQ(system->backups.size(), 1u);
    EXPECT_EQ(system->backups[0].at("persistent-apps"), before.at("persistent-apps"));
    EXPECT_EQ(system->backups[0].at("persistent-others"), before.at("persistent-others"));
    EXPECT_EQ(tileIDs(c->state().storedTiles), (Calls{"b", "c"})) << "removed tiles in Dock order";
    EXPECT_EQ(system->savedState, c->state());
    EXPECT_EQ(system->restarts, 1);

    // The same list again changes nothing and touches nothing.
    system->log.clear();
    EXPECT_EQ(c->apply(apps({"d", "a"})), (ApplyResult{false, false}));
    EXPECT_EQ(system->log.calls, Calls{"persistentApps"});
}

TEST_F(DockControllerWritesTest, StoredTilesOutliveAnApplyThatRemovesNothing) {
    // A tile known only by its label: the only copy of it is the stored one.
    plist::Dictionary labelOnly{{"GUID", plist::Value(77)},
                                {"tile-data", plist::Value(plist::Dictionary{{"file-label", plist::Value("Notes")}})}};
    system->setDock({appTile("a", 1), labelOnly});
    c = makeController(system);
    const std::string both = c->createPreset("Both", std::nullopt, c->dockApps()).id;
    c->activate(idOf("Small")); // d is built, a kept, Notes stored
    ASSERT_EQ(tileIDs(c->state().storedTiles), Calls{"label:Notes"});

    system->log.clear();
    EXPECT_EQ(c->applyActivePreset(), (ApplyResult{false, false}));
    EXPECT_EQ(system->log.calls, Calls{"persistentApps"}) << "nothing to save: the stored tile is kept";
    c->apply(apps({"a"})); // removes d; Notes stays stored next to it
    EXPECT_EQ(tileIDs(c->state().storedTiles), (Calls{"d", "label:Notes"}));

    c->activate(both);
    auto tiles = system->dockTiles();
    ASSERT_EQ(tileIDs(tiles), (Calls{"a", "label:Notes"}));
    EXPECT_EQ(tiles[1].raw(), labelOnly);
    EXPECT_EQ(tileIDs(c->state().storedTiles), Calls{"d"});
}
TEST_F(DockControllerWritesTest, EachFailingApplyStepStopsTheLaterOnes) {
    const Calls order{"persistentApps", "snapshot", "saveBackup", "setPersistentApps", "save", "restart"};
    const AppState initial = c->state();
    const plist::Dictionary initialDock = system->dock;
    for (std::size_t failing = 0; failing < order.size(); ++failing) {
        SCOPED_TRACE(order[failing]);
        system->dock = initialDock;
        system->savedState = initial;
        system->backups.clear();
        system->restarts = 0;
        c = makeController(system);
        system->log.clear();
        system->log.clearFailures();
        system->log.failOn(order[failing]);

        EXPECT_THROW(c->apply(apps({"d", "a"})), FakeFailure);
        EXPECT_EQ(system->log.calls, Calls(order.begin(), order.begin() + failing + 1));

        const bool backedUp = failing > 2, written = failing > 3, saved = failing > 4;
        EXPECT_EQ(system->backups.size(), backedUp ? 1u : 0u);
        EXPECT_EQ(system->dock == initialDock, !written);
        EXPECT_EQ(tileIDs(system->savedState.storedTiles), (saved ? Calls{"b", "c"} : Calls{}));
        // A failed save keeps the new stored tiles in memory.
        EXPECT_EQ(tileIDs(c->state().storedTiles), (failing >= 4 ? Calls{"b", "c"} : Calls{}));
        EXPECT_EQ(system->restarts, 0);
    }
}

TEST_F(DockControllerWritesTest, AnUnchangedDockKeepsStoredTilesUntilTheDockShowsThemAgain) {
    // As after a start-up that moved hidden tiles into the stored tiles: one of them is
    // not in the Dock, one is (the user put it back by hand).
    system->savedState.storedTiles = {DockTile(appTile("z", 26)), DockTile(appTile("b", 20))};
    c = makeController(system);
    system->log.clear();
    EXPECT_EQ(c->applyActivePreset(), (ApplyResult{false, false}));
    EXPECT_EQ(system->log.calls, (Calls{"persistentApps", "save"}));
    EXPECT_EQ(c->state().storedTiles, std::vector<DockTile>{DockTile(appTile("z", 26))});
    EXPECT_EQ(system->backups.size(), 0u);

    // When the Dock's tile and a stored one share an identity, the Dock's wins.
    c->apply(apps({"a", "c", "d"}));
    EXPECT_EQ(c->state().storedTiles, (std::vector<DockTile>{DockTile(appTile("b", 2)), DockTile(appTile("z", 26))}));
}

TEST_F(DockControllerWritesTest, ActivateStoresTheIdThenApplies) {
    EXPECT_EQ(c->activate(idOf("Small")), (ApplyResult{true, true}));
    EXPECT_EQ(system->log.calls,
              (Calls{"save", "persistentApps", "snapshot", "saveBackup", "setPersistentApps", "save", "restart"}));
    EXPECT_EQ(system->savedState.activePresetID, idOf("Small"));

    // Activating the active preset applies it again; the plan finds nothing to do.
    system->log.clear();
    EXPECT_EQ(c->activate(idOf("Small")), (ApplyResult{false, false}));
    EXPECT_EQ(system->log.calls, Calls{"persistentApps"});

    // An unknown id changes nothing and reads nothing.
    system->log.clear();
    const AppState before = c->state();
    EXPECT_THROW(c->activate("nope"), PresetError);
    EXPECT_EQ(c->state(), before);
    EXPECT_TRUE(system->log.calls.empty());

    // A failing save stops before the Dock is read; the change stays in memory.
    system->log.failOn("save");
    EXPECT_THROW(c->activate("default"), FakeFailure);
    EXPECT_EQ(system->log.calls, Calls{"save"});
    EXPECT_EQ(c->activePresetID(), "default");
}

TEST_F(DockControllerWritesTest, UpdateAppsAndSetApps) {
    const std::string small = idOf("Small");
    c->updateApps(small, {app("d"), app("a"), app("d")});
    EXPECT_TRUE(system->log.calls.empty()) << "the same list with a repeat saves nothing";

    EXPECT_EQ(c->setApps(small, apps({"b"})), (ApplyResult{false, false}));
    EXPECT_EQ(system->log.calls, Calls{"save"}) << "an inactive preset: saved, Dock not read";
    EXPECT_EQ(appIDs(system->savedState.preset(small)->apps), Calls{"b"});

    system->log.clear();
    EXPECT_EQ(c->setApps("default", apps({"a", "b"})), (ApplyResult{true, true}));
    EXPECT_EQ(system->log.calls.front(), "save");
    EXPECT_EQ(system->log.calls.back(), "restart");
    EXPECT_EQ(tileIDs(system->dockTiles()), (Calls{"a", "b", "?"}));

    system->log.clear();
    EXPECT_THROW(c->setApps("nope", apps({"a"})), PresetError);
    EXPECT_THROW(c->updateApps("nope", {}), PresetError);
    EXPECT_TRUE(system->log.calls.empty());
}

TEST_F(DockControllerWritesTest, SetActivePresetComparesWithTheStoredFieldAndNoPresetReadsNothing) {
    system->savedState.activePresetID.reset();
    c = makeController(system);
    system->log.clear();
    c->setActivePreset("default"); // the accessor already says "default", the field is empty
    EXPECT_EQ(system->log.calls, Calls{"save"});
    c->setActivePreset("default");
    EXPECT_EQ(system->log.calls, Calls{"save"});

    system->savedState = AppState{};
    c = makeController(system);
    system->log.clear();
    EXPECT_EQ(c->applyActivePreset(), (ApplyResult{false, false}));
    EXPECT_TRUE(system->log.calls.empty());
}

TEST_F(DockControllerWritesTest, RecentsVisibility) {
    EXPECT_TRUE(c->recentsVisible()) << "no value means visible";
    EXPECT_EQ(c->setRecentsVisible(true), (ApplyResult{false, false}));
    EXPECT_EQ(system->log.calls, (Calls{"showRecents", "showRecents"}));

    system->log.clear();
    EXPECT_EQ(c->setRecentsVisible(false), (ApplyResult{true, true}));
    EXPECT_EQ(system->log.calls, (Calls{"showRecents", "snapshot", "saveBackup", "setShowRecents", "restart"}));
    EXPECT_EQ(system->backups.back().at("show-recents"), plist::Value(true));
    EXPECT_FALSE(c->recentsVisible());
    EXPECT_EQ(system->saves, 0) << "the recents setting is not part of the state";

    for (const char* failing : {"snapshot", "saveBackup", "setShowRecents", "restart"}) {
        SCOPED_TRACE(failing);
        system->log.clear();
        system->log.clearFailures();
        system->log.failOn(failing);
        std::size_t backups = system->backups.size();
        EXPECT_THROW(c->setRecentsVisible(true), FakeFailure);
        EXPECT_EQ(system->log.calls.back(), failing);
        const bool written = std::string(failing) == "restart";
        EXPECT_EQ(c->recentsVisible(), written);
        EXPECT_EQ(system->backups.size(), backups + (std::string(failing) == "snapshot" || std::string(failing) == "saveBackup" ? 0 : 1));
        system->log.clearFailures();
        if (written) c->setRecentsVisible(false);
    }
    EXPECT_EQ(system->restarts, 2) << "the first change and the one that undid the failed restart";
}

TEST_F(DockControllerWritesTest, RestoreOriginalItsFailuresAndAbsence) {
    const plist::Dictionary firstDock = system->dock;
    c->activate(idOf("Small"));
    const std::string small = idOf("Small");
    system->dock["show-recents"] = plist::Value(false);
    const plist::Dictionary dock = system->dock;

    for (const auto& calls : {Calls{"loadOriginal"}, Calls{"loadOriginal", "snapshot", "saveBackup", "restore"}}) {
        system->log.clear();
        system->log.failOn(calls.back());
        EXPECT_THROW(c->restoreOriginal(), FakeFailure);
        EXPECT_EQ(system->log.calls, calls);
        EXPECT_EQ(c->state().activePresetID, small) << "a failing restore leaves the active id";
        EXPECT_EQ(system->dock, dock);
        system->log.clearFailures();
    }

    system->log.clear();
    EXPECT_TRUE(c->restoreOriginal());
    EXPECT_EQ(system->log.calls, (Calls{"loadOriginal", "snapshot", "saveBackup", "restore", "save", "restart"}));
    EXPECT_EQ(system->dock.at("persistent-apps"), firstDock.at("persistent-apps"));
    EXPECT_EQ(system->dock.at("show-recents"), plist::Value(true)) << "the original snapshot held true";
    EXPECT_EQ(system->backups.back().at("show-recents"), plist::Value(false)) << "the replaced Dock is kept";
    EXPECT_EQ(c->state().activePresetID, "default");
    EXPECT_EQ(tileIDs(c->state().storedTiles), (Calls{"b", "c"})) << "stored tiles are left alone";

    system->log.clear();
    system->original.reset();
    const std::size_t backups = system->backups.size();
    const plist::Dictionary restored = system->dock;
    EXPECT_FALSE(c->restoreOriginal());
    EXPECT_EQ(system->log.calls, Calls{"loadOriginal"});
    EXPECT_EQ(system->backups.size(), backups);
    EXPECT_EQ(system->dock, restored);
}

TEST_F(DockControllerWritesTest, AWriteWhoseRestartWasLostIsRestartedByTheNextApplyOrFlush) {
    struct Case {
        const char* write;   // the operation that writes the Dock and then fails
        const char* failing; // the step after the write that fails
    };
    const Case writes[] = {{"apply", "save"}, {"recents", "restart"}, {"restore", "save"}};
    const plist::Dictionary initialDock = system->dock;
    const AppState initial = c->state();
    for (const auto& [write, failing] : writes) {
        for (const std::string retry : {"apply", "flush"}) {
            SCOPED_TRACE(std::string(write) + " failing at " + failing + ", then " + retry);
            system->dock = initialDock;
            system->savedState = initial;
            system->original = initialDock;
            system->restarts = 0;
            c = makeController(system);
            DockChangeBatcher batcher(c);
            system->log.clearFailures();
            if (std::string(write) == "restore") {
                c->apply(apps({"d", "a"})); // so that restoring changes the Dock
                system->restarts = 0;
            }
            system->log.failOn(failing);
            const std::function<void()> operations[] = {[&] { c->apply(apps({"d", "a"})); },
                                                        [&] { c->setRecentsVisible(false); },
                                                        [&] { c->restoreOriginal(); }};
            const std::string which = write;
            EXPECT_THROW(operations[which == "apply" ? 0 : which == "recents" ? 1 : 2](), FakeFailure);
            EXPECT_EQ(system->restarts, 0);
            system->log.clearFailures();

            // The Dock already holds what was written; only the restart is owed.
            const ApplyResult owed{false, true};
            if (retry == "apply") {
                const auto list = std::string(write) == "apply" ? apps({"d", "a"}) : c->dockApps();
                EXPECT_EQ(c->apply(list), owed);
                EXPECT_EQ(c->apply(list), (ApplyResult{false, false})) << "owed once";
            } else {
                EXPECT_EQ(batcher.flush(), owed);
                EXPECT_FALSE(batcher.flush().has_value()) << "owed once";
            }
            EXPECT_EQ(system->restarts, 1);
            EXPECT_FALSE(c->restartOwed());
        }
    }
}

TEST_F(DockControllerWritesTest, RestoringKeepsWhatTheOriginalLacksAsStoredTiles) {
    // The original holds a, b, the spacer, c, d. A tile pinned since (e, with a blob only the
    // Dock can make) and one known only by its label must come back unchanged.
    plist::Dictionary labelOnly{{"tile-data", plist::Value(plist::Dictionary{{"file-label", plist::Value("Notes")}})}};
    c->apply(apps({"a"}));
    system->setDock({appTile("a", 1), appTile("e", 77), labelOnly});
    c->restoreOriginal();
    EXPECT_EQ(tileIDs(system->dockTiles()), (Calls{"a", "b", "?", "c", "d"}));
    EXPECT_EQ(tileIDs(c->state().storedTiles), (Calls{"e", "label:Notes", "b", "c", "d"}))
        << "new first; the earlier stored tiles stay";
    EXPECT_EQ(tileIDs(system->savedState.storedTiles), tileIDs(c->state().storedTiles));

    const std::string both = c->createPreset("Both", std::nullopt,
                                             {app("e"), PresetApp("label:Notes", "", "Notes"), app("a")}).id;
    c->activate(both);
    auto tiles = system->dockTiles();
    ASSERT_EQ(tileIDs(tiles), (Calls{"e", "label:Notes", "?", "a"}));
    EXPECT_EQ(tiles[0].raw(), appTile("e", 77)) << "the very tile, not one made afresh";
    EXPECT_EQ(tiles[1].raw(), labelOnly);
}
