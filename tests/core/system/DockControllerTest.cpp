// The controller over recording fakes of its four ports: preset operations, start-up
// reconciliation, and the Dock writes: the order of their steps and what a failure at
// each step leaves behind.

#include <functional>
#include <regex>

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "core/dock/DockChangeBatcher.h"

using namespace kestrine;
using namespace kestrine::testing;
using plist::Value;
using namespace std::string_literals;

namespace {

using Calls = std::vector<std::string>;

class DockControllerTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSystem> system = std::make_shared<FakeSystem>();
    std::shared_ptr<DockController> c;
    std::string small;

    /// A controller over the saved state; the log cleared.
    DockController& controller() {
        c = makeController(system);
        system->log.clear();
        return *c;
    }
    /// A Dock of a, b, a spacer, c, d; the presets Home (default, active, a b c d) and Small (d a).
    void start() {
        system->setDock({appTile("a", 1), appTile("b", 2), spacerTile(3), appTile("c", 4), appTile("d", 5)});
        system->dock["persistent-others"] = Value(plist::Array{Value("Downloads")});
        controller().bootstrap("Home", "🏠");
        small = c->createPreset("Small", std::nullopt, apps({"d", "a"})).id;
        system->log.clear();
    }
};

} // namespace

// MARK: - Dock writes

TEST_F(DockControllerTest, EveryDockWriteRunsItsStepsInOrderAndAFailureStopsTheLaterOnes) {
    start();
    system->original = {{"persistent-apps", Value(plist::Array{Value(appTile("a", 1)), Value(appTile("b", 2))})}};
    const FakeSystem initial = *system;
    const plist::Dictionary before = FakePorts(system).snapshot();
    // steps in order when none fails; write: the step that changes the Dock; dock and stored after success;
    // retryByFlush, else by an apply: either restarts a Dock that still owes it.
    struct Row { const char* name; std::function<ApplyResult(DockController&)> run; Calls steps; const char* write;
                 Calls dock, stored; bool retryByFlush; };
    const Row rows[] = {
        {"apply", [](DockController& k) { return k.apply(apps({"d", "a"})); },
         {"persistentApps", "snapshot", "saveBackup", "setPersistentApps", "save", "restart"}, "setPersistentApps",
         {"d", "a", "?"}, {"b", "c"}, false},
        {"activate", [&](DockController& k) { return k.activate(small); },
         {"save", "persistentApps", "snapshot", "saveBackup", "setPersistentApps", "save", "restart"},
         "setPersistentApps", {"d", "a", "?"}, {"b", "c"}, true},
        {"setApps", [](DockController& k) { return k.setApps("default", apps({"d", "a"})); },
         {"save", "persistentApps", "snapshot", "saveBackup", "setPersistentApps", "save", "restart"},
         "setPersistentApps", {"d", "a", "?"}, {"b", "c"}, true},
        {"recents", [](DockController& k) { return k.setRecentsVisible(false); },
         {"showRecents", "snapshot", "saveBackup", "setShowRecents", "restart"}, "setShowRecents",
         {"a", "b", "?", "c", "d"}, {}, true},
        {"restore", [](DockController& k) { return ApplyResult{k.restoreOriginal(), true}; },
         {"loadOriginal", "snapshot", "saveBackup", "restore", "save", "restart"}, "restore", {"a", "b"}, {"c", "d"}, true},
    };
    for (const auto& r : rows) {
        auto at = [&](const char* step) { return std::size_t(std::find(r.steps.begin(), r.steps.end(), step) - r.steps.begin()); };
        for (std::size_t failing = 0; failing <= r.steps.size(); ++failing) {
            const bool fails = failing < r.steps.size();
            if (fails && at(r.steps[failing].c_str()) != failing) continue; // only its first occurrence can fail
            SCOPED_TRACE(std::string(r.name) + " failing at " + (fails ? r.steps[failing] : "nothing"));
            *system = initial;
            controller();
            if (fails) {
                system->log.failOn(r.steps[failing]);
                EXPECT_THROW(r.run(*c), FakeFailure);
            } else {
                EXPECT_EQ(r.run(*c), (ApplyResult{true, true}));
                EXPECT_EQ(std::pair(tileIDs(system->dockTiles()), tileIDs(c->state().storedTiles)), std::pair(r.dock, r.stored));
            }
            EXPECT_EQ(system->log.calls, Calls(r.steps.begin(), r.steps.begin() + std::min(failing + 1, r.steps.size())));
            // backups, Dock changed, restarts, state unsaved (only by a failed save), restart owed
            const bool written = failing > at(r.write);
            EXPECT_EQ(std::tuple(system->backups, system->dock != initial.dock, system->restarts, system->savedState != c->state(),
                                 c->restartOwed()),
                      std::tuple(failing > at("saveBackup") ? std::vector{before} : std::vector<plist::Dictionary>{}, written,
                                 fails ? 0 : 1, fails && r.steps[failing] == "save", fails && written));
            if (!fails || !written) continue;

            // The Dock already holds what was written: the next apply or flush saves what is
            // unsaved and restarts it, once.
            system->log.clearFailures();
            const auto list = std::string(r.name) == "apply" ? apps({"d", "a"}) : c->dockApps();
            DockChangeBatcher batcher(c);
            EXPECT_EQ(r.retryByFlush ? batcher.flush().value_or(ApplyResult{}) : c->apply(list), (ApplyResult{false, true}));
            EXPECT_EQ(r.retryByFlush ? batcher.flush() : c->apply(list), (r.retryByFlush ? std::optional<ApplyResult>()
                                                                                         : ApplyResult{false, false}));
            EXPECT_EQ(std::pair(system->restarts, system->savedState == c->state()), std::pair(1, true));
        }
    }
}

TEST_F(DockControllerTest, OperationsWithNothingToWriteTouchOnlyWhatTheyMust) {
    start();
    struct Row { const char* name; std::function<ApplyResult()> run; Calls calls; };
    const Row rows[] = {
        {"apply of what the Dock shows", [&] { return c->apply(apps({"a", "b", "c", "d"})); }, {"persistentApps"}},
        {"activate the active preset", [&] { return c->activate("default"); }, {"persistentApps"}},
        {"recents already visible", [&] { return c->setRecentsVisible(true); }, {"showRecents"}},
        {"setApps of an inactive preset", [&] { return c->setApps(small, apps({"b"})); }, {"save"}},
        {"updateApps of the same list with a repeat", [&] { return c->updateApps(small, apps({"b", "b"})), ApplyResult{}; }, {}},
        {"restore without an original", [&] { return ApplyResult{c->restoreOriginal(), false}; }, {"loadOriginal"}},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        system->log.clear();
        EXPECT_EQ(r.run(), ApplyResult{});
        EXPECT_EQ(system->log.calls, r.calls);
    }
    EXPECT_EQ(appIDs(system->savedState.preset(small)->apps), Calls{"b"});
    EXPECT_TRUE(system->backups.empty());

    // No preset at all: nothing to apply, nothing read.
    system->savedState = AppState{};
    EXPECT_EQ(controller().applyActivePreset(), ApplyResult{});
    EXPECT_TRUE(system->log.calls.empty());
}

TEST_F(DockControllerTest, StoredTilesStayUntilTheDockShowsThemAgainAndComeBackUnchanged) {
    // As after a start-up that moved hidden tiles into the stored tiles: two are not in the
    // Dock (one known only by its label, which cannot be rebuilt), one is (put back by hand).
    const plist::Dictionary labelOnly{{"GUID", Value(77)},
                                      {"tile-data", Value(plist::Dictionary{{"file-label", Value("Notes")}})}};
    start();
    system->savedState.storedTiles = {DockTile(appTile("z", 26)), DockTile(labelOnly), DockTile(appTile("b", 20))};
    EXPECT_EQ(controller().applyActivePreset(), ApplyResult{});
    EXPECT_EQ(system->log.calls, (Calls{"persistentApps", "save"}));
    EXPECT_EQ(tileIDs(system->savedState.storedTiles), (Calls{"z", "label:Notes"}));

    // An apply that removes tiles keeps the earlier ones after them; the Dock's b wins.
    c->apply(apps({"a", "c", "d"}));
    EXPECT_EQ(c->state().storedTiles,
              (std::vector<DockTile>{DockTile(appTile("b", 2)), DockTile(appTile("z", 26)), DockTile(labelOnly)}));
    c->apply(apps({"a", "c", "d"}));
    EXPECT_EQ(tileIDs(c->state().storedTiles), (Calls{"b", "z", "label:Notes"})) << "an apply removing nothing";

    c->apply({app("a"), PresetApp("label:Notes", "", "Notes")});
    EXPECT_EQ(system->dockTiles(), (std::vector{DockTile(appTile("a", 1)), DockTile(labelOnly), DockTile(spacerTile(3))}));
    EXPECT_EQ(tileIDs(system->savedState.storedTiles), (Calls{"c", "d", "b", "z"}));
}

TEST_F(DockControllerTest, RestoringPutsTheOriginalBackAndKeepsWhatItLacksAsStoredTiles) {
    start();
    const plist::Dictionary first = system->dock;
    c->activate(small); // its backup is the original
    // Pinned since: e, with a blob only the Dock can make, and a tile known only by its label.
    const plist::Dictionary labelOnly{{"tile-data", Value(plist::Dictionary{{"file-label", Value("Notes")}})}};
    system->setDock({appTile("a", 1), appTile("e", 77), labelOnly});
    system->dock["show-recents"] = Value(false);

    EXPECT_TRUE(c->restoreOriginal());
    EXPECT_EQ(system->dock.at("persistent-apps"), first.at("persistent-apps"));
    EXPECT_EQ(system->dock.at("show-recents"), Value(true));
    EXPECT_EQ(system->backups.back().at("show-recents"), Value(false)) << "the replaced Dock is backed up";
    EXPECT_EQ(c->state().activePresetID, "default");
    EXPECT_EQ(tileIDs(c->state().storedTiles), (Calls{"e", "label:Notes", "b", "c"})) << "the earlier stored tiles stay";
    EXPECT_EQ(system->savedState, c->state());

    c->activate(c->createPreset("Both", std::nullopt, {app("e"), PresetApp("label:Notes", "", "Notes"), app("a")}).id);
    EXPECT_EQ(system->dockTiles(), (std::vector{DockTile(appTile("e", 77)), DockTile(labelOnly), DockTile(spacerTile(3)),
                                                DockTile(appTile("a", 1))})) << "the very tiles, not ones made afresh";
}

// MARK: - Batched changes

TEST_F(DockControllerTest, BatcherSavesEachChangeAtOnceAndOnFlushAppliesOnlyWhatTheDockShowsOnceWithOneRestart) {
    start();
    DockChangeBatcher b(c);
    EXPECT_EQ(b.flush(), std::nullopt) << "nothing pending when new";
    b.markPending();
    b.resync();
    EXPECT_EQ(b.flush(), std::nullopt) << "nor after a resync";
    EXPECT_THROW(DockChangeBatcher(nullptr), std::invalid_argument);
    b.activate("default"); // already active
    b.edit(small, apps({"a"})); // not active: saved all the same
    EXPECT_FALSE(b.hasPending());
    EXPECT_EQ(appIDs(system->savedState.preset(small)->apps), Calls{"a"});
    EXPECT_EQ(system->log.calls, Calls{"save"});
    b.edit("default", c->preset("default")->apps);
    EXPECT_TRUE(b.hasPending()) << "an edit of the active preset changing nothing may follow one never applied";

    system->log.clear();
    b.edit("default", apps({"a"}));
    b.activate(small);
    b.edit(small, apps({"c", "b"}));
    b.activate("default");
    b.edit("default", apps({"b", "a"}));
    EXPECT_EQ(system->log.calls, Calls(5, "save")) << "the state is saved at once, the Dock is not touched";
    EXPECT_EQ(b.flush(), (ApplyResult{true, true}));
    EXPECT_EQ(std::pair(std::count(system->log.calls.begin(), system->log.calls.end(), "persistentApps"), system->restarts),
              std::pair(std::ptrdiff_t{1}, 1)) << "the Dock read once, restarted once";
    EXPECT_EQ(tileIDs(system->dockTiles()), (Calls{"b", "a", "?"}));
    EXPECT_EQ(b.flush(), std::nullopt);
}

TEST_F(DockControllerTest, BatcherFailuresKeepThePendingFlag) {
    start();
    DockChangeBatcher b(c);
    EXPECT_THROW(b.edit("nope", {}), PresetError);
    EXPECT_THROW(b.activate("nope"), PresetError);
    system->log.failOn("save");
    EXPECT_THROW(b.activate(small), FakeFailure);
    EXPECT_FALSE(b.hasPending());
    system->log.clearFailures();
    b.markPending();
    EXPECT_THROW(b.edit("nope", {}), PresetError);
    EXPECT_TRUE(b.hasPending());
    b.activate(small);
    system->log.failOn("setPersistentApps");
    EXPECT_THROW(b.flush(), FakeFailure);
    EXPECT_TRUE(b.hasPending()) << "a later flush tries again";
    system->log.clearFailures();
    EXPECT_EQ(b.flush(), (ApplyResult{true, true}));
    EXPECT_EQ(tileIDs(system->dockTiles()), (Calls{"d", "a", "?"}));
    EXPECT_FALSE(b.hasPending());
}

// MARK: - State and presets

TEST_F(DockControllerTest, ConstructionLoadsTheStateOrFailsWithTheStorageError) {
    system->savedState.presets = {makePreset("p", "Work", apps({"a"}))};
    EXPECT_EQ(makeController(system)->state(), system->savedState);
    EXPECT_EQ(system->log.calls, Calls{"load"});
    system->log.failOn("load");
    EXPECT_THROW(makeController(system), FakeFailure);
    EXPECT_THROW(DockController(nullptr, nullptr, nullptr, nullptr), std::invalid_argument);
}

TEST_F(DockControllerTest, ActivePresetFallsBackToTheDefaultPresetThenToDefaultAndIsStoredOnlyOnChange) {
    EXPECT_EQ(controller().activePresetID(), "default") << "no preset at all";
    system->savedState.presets = {makePreset("w", "Work"), makePreset("home", "Home", {}, true)};
    system->savedState.activePresetID = "deleted";
    EXPECT_EQ(controller().activePresetID(), "home");
    EXPECT_EQ(c->presets()[0].id, "home") << "default presets come first";
    c->bootstrap("Home", "🏠");
    EXPECT_EQ(system->savedState.activePresetID, "home") << "bootstrap stores the fallback";

    system->savedState.activePresetID.reset();
    controller().setActivePreset("home"); // the accessor already says "home", the field is empty
    c->setActivePreset("home");
    EXPECT_EQ(system->log.calls, Calls{"save"});
}

TEST_F(DockControllerTest, PresetEditsCheckTrimmedUniqueNamesAndKeepAFailedSaveInMemory) {
    system->savedState.presets = {makePreset("default", "Home", {}, true), makePreset("w", "Work"),
                                  makePreset("s", " Study"), makePreset("g", "ÇA VA")};
    system->savedState.activePresetID = "w";
    controller();
    const AppState before = c->state();
    // Not taken: its own name; the stored name keeps its leading space; a longer name. Taken with full Unicode lower-casing.
    EXPECT_EQ((std::vector{c->isNameTaken("  work ", "w"), c->isNameTaken("study"), c->isNameTaken("works"),
                           c->isNameTaken("\nça va\t")}), (std::vector{false, false, false, true}));

    using Code = PresetError::Code;
    const std::pair<Code, std::function<void()>> refused[] = {
        {Code::emptyName, [&] { c->createPreset("   ", std::nullopt, {}); }},
        {Code::nameTaken, [&] { c->createPreset(" WORK", std::nullopt, {}); }},
        {Code::notFound, [&] { c->updatePreset("nope", "", std::nullopt); }},
        {Code::emptyName, [&] { c->updatePreset("w", " ", std::nullopt); }},
        {Code::nameTaken, [&] { c->updatePreset("w", "home", std::nullopt); }},
        {Code::cannotDeleteDefault, [&] { c->deletePreset("default"); }},
        {Code::notFound, [&] { c->deletePreset("missing"); }},
        {Code::notFound, [&] { c->activate("nope"); }},
        {Code::notFound, [&] { c->setApps("nope", apps({"a"})); }},
        {Code::notFound, [&] { c->updateApps("nope", {}); }},
    };
    for (const auto& [code, f] : refused) {
        auto error = thrown<PresetError>(f);
        EXPECT_EQ(error ? std::optional(error->code()) : std::nullopt, code);
    }
    EXPECT_EQ(c->state(), before);
    EXPECT_TRUE(system->log.calls.empty()) << "nothing saved, the Dock not read";

    Preset created = c->createPreset("  Games \n", "🎮", {app("a"), app("b"), app("a")});
    EXPECT_TRUE(std::regex_match(created.id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
    EXPECT_EQ(c->state().presets.back(), makePreset(created.id, "Games", apps({"a", "b"}), false, "🎮"));
    EXPECT_EQ(system->savedState, c->state());
    EXPECT_EQ(c->activePresetID(), "w") << "a new preset does not become active";
    EXPECT_NE(c->createPreset("Other", std::nullopt, {}).id, created.id);

    c->updatePreset("w", " work ", "💼"); // its own name in another case is fine
    EXPECT_EQ(*system->savedState.preset("w"), makePreset("w", "work", {}, false, "💼"));
    c->updatePreset("w", "Work", std::nullopt);
    EXPECT_EQ(*system->savedState.preset("w"), makePreset("w", "Work")) << "an absent emoji clears it";
    c->deletePreset("g");
    EXPECT_EQ(system->savedState.activePresetID, "w");
    c->deletePreset("w");
    EXPECT_EQ(system->savedState.activePresetID, "default") << "deleting the active preset activates the default";
    EXPECT_FALSE(system->savedState.preset("w"));
    EXPECT_EQ(system->log.calls, Calls(6, "save")) << "and nothing else";

    system->log.failOn("save");
    EXPECT_THROW(c->updatePreset("default", "Office", std::nullopt), FakeFailure);
    EXPECT_EQ(std::pair(c->preset("default")->name, system->savedState.preset("default")->name), std::pair("Office"s, "Home"s));
}

// MARK: - Start-up

TEST_F(DockControllerTest, ExistingInstallationUsesTheOriginalBackupFindsTheActivePresetAndAFailureSavesNothing) {
    system->setDock({appTile("b", 2), appTile("x", 9)});
    system->original = {{"persistent-apps", Value(plist::Array{Value(appTile("a", 1)), Value(appTile("b", 2))})}};
    system->savedState.presets = {makePreset("w", "Work", apps({"x", "b"})), makePreset("u1", "home"),
                                  makePreset("u2", "Home 2")};
    const AppState saved = system->savedState;
    controller();
    for (const char* failing : {"persistentApps", "loadOriginal", "save"}) {
        SCOPED_TRACE(failing);
        system->log.clearFailures();
        system->log.failOn(failing);
        EXPECT_THROW(c->bootstrap("Home", "🏠"), FakeFailure);
        EXPECT_EQ(system->savedState, saved);
    }
    EXPECT_EQ(c->state().presets[0].id, "default") << "the reconciled state stays in memory";

    system->log.clearFailures();
    controller().bootstrap("Home", "🏠");
    // The original's apps under the first free counter; active: the preset whose apps equal the Dock's, as a set.
    EXPECT_EQ(c->state().presets[0], makePreset("default", "Home 3", apps({"a", "b"}), true, "🏠"));
    EXPECT_EQ(c->state().activePresetID, "w");
    EXPECT_EQ(system->log.calls, (Calls{"persistentApps", "loadOriginal", "save"}));
}

TEST_F(DockControllerTest, StartUpMakesTheDefaultPresetFromTheOriginalDockElseTheCompleteDockAndSavesOnce) {
    // Hidden entries of an earlier version make an existing installation.
    const HiddenEntry hidden{DockTile(appTile("h", 5)), 0, std::nullopt, std::string("b")};
    const Calls existing{"persistentApps", "loadOriginal", "save"};
    struct Row {
        const char* name; bool earlier; std::optional<plist::Dictionary> original; std::vector<PresetApp> list; Calls calls;
    };
    const Row rows[] = {
        {"first start: the Dock", false, plist::Dictionary{}, apps({"a", "b"}), {"persistentApps", "save"}},
        {"no original", true, std::nullopt, apps({"a", "h", "b"}), existing}, // h goes back before its next neighbour
        {"original not a list", true, plist::Dictionary{{"persistent-apps", Value("not a list")}}, apps({"a", "h", "b"}), existing},
        {"original of no tiles", true, plist::Dictionary{{"persistent-apps", Value(plist::Array{Value(1)})}},
         apps({"a", "h", "b"}), existing},
        {"original empty", true, plist::Dictionary{{"persistent-apps", Value(plist::Array{})}}, {}, existing},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        system->setDock({appTile("a", 1), spacerTile(2), appTile("b", 2)});
        system->original = r.original;
        system->savedState = AppState{};
        if (r.earlier) system->savedState.hidden = {hidden};
        controller().bootstrap("Home", "🏠");
        // Hidden entries are gone; the earlier hidden tile is stored; the one preset is active.
        EXPECT_EQ(c->state(), (AppState{{}, r.earlier ? std::vector{hidden.tile} : std::vector<DockTile>{},
                                        {makePreset("default", "Home", r.list, true, "🏠")}, "default"}));
        EXPECT_EQ(system->log.calls, r.calls);
    }
    controller().bootstrap("Home", "🏠");
    EXPECT_EQ(system->log.calls, Calls{"persistentApps"}) << "a second start with nothing changed saves nothing";
}

TEST_F(DockControllerTest, OlderLayoutPresetsAndHiddenEntriesAreMigrated) {
    system->setDock({appTile("a", 1), appTile("c", 3)});
    Preset legacy = makePreset("legacy:Work", "Work");
    legacy.legacyHiddenIDs = std::set<std::string>{"c"};
    system->savedState.presets = {makePreset("default", "Home", apps({"a"}), true), legacy};
    system->savedState.activePresetID = "legacy:Work";
    system->savedState.storedTiles = {DockTile(appTile("s", 7))};
    system->savedState.hidden = {
        HiddenEntry{DockTile(appTile("b", 2)), 1, std::string("a"), std::nullopt},
        HiddenEntry{DockTile(appTile("c", 30)), 5, std::nullopt, std::nullopt}, // still in the Dock
        HiddenEntry{DockTile(appTile("s", 70)), 6, std::nullopt, std::nullopt}, // already stored
        HiddenEntry{DockTile(spacerTile(8)), 0, std::nullopt, std::nullopt},    // no identity
    };
    controller().bootstrap("Home", "🏠");

    // Work holds the complete Dock without c; no new default preset; b is stored after s.
    const std::vector<Preset> presets{makePreset("default", "Home", apps({"a"}), true),
                                      makePreset("legacy:Work", "Work", apps({"a", "b", "s"}))};
    EXPECT_EQ(c->state(), (AppState{{}, {DockTile(appTile("s", 7)), DockTile(appTile("b", 2))}, presets, "legacy:Work"}));
    EXPECT_EQ(system->savedState, c->state());
    EXPECT_EQ(system->log.calls, (Calls{"persistentApps", "save"}));
}
