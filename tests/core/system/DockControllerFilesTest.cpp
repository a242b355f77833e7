// The controller over the real file-backed ports in a temporary home: the Dock's domain
// file, the backup folder and the state file.

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "SystemTestSupport.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/plist/Base64.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/PlistFileDockStore.h"
#include "core/system/ProcessDockRestarter.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

using Calls = std::vector<std::string>;

/// Counts restarts instead of ending a process.
struct CountingRestarter : DockRestarter {
    std::shared_ptr<int> count = std::make_shared<int>(0);
    void restart() override { ++*count; }
};

Dictionary dockWith(const std::vector<Dictionary>& tiles) {
    Array array;
    for (auto& t : tiles) array.emplace_back(t);
    return {{"persistent-apps", Value(array)},
            {"persistent-others", Value(Array{Value(Dictionary{{"tile-type", Value("directory-tile")}})})},
            {"tilesize", Value(51.0)},
            {"mod-count", Value(412)},
            {"trash-full", Value(true)}};
}

std::string tileText(const Dictionary& tile) {
    return plist::base64Encode(DockTile(tile).encode());
}

class DockControllerFilesTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    fs::path domain = home / "config/com.apple.dock.plist";
    fs::path support = home / "data/Kestrine";
    fs::path stateFile = support / "state.json";
    fs::path backups = support / "Backups";
    ManualClock clock{sampleMoment()};
    std::shared_ptr<int> restarts = std::make_shared<int>(0);

    std::unique_ptr<DockController> controller(std::unique_ptr<DockRestarter> restarter = nullptr) {
        if (!restarter) {
            auto counting = std::make_unique<CountingRestarter>();
            counting->count = restarts;
            restarter = std::move(counting);
        }
        return std::make_unique<DockController>(
            std::make_unique<PlistFileDockStore>(domain, [this] { return clock(); }), std::move(restarter),
            std::make_unique<FileDockBackupStore>(backups, 20, [this] { return clock(); }),
            std::make_unique<JSONFileStateStorage>(stateFile));
    }

    AppState savedState() { return JSONFileStateStorage(stateFile).load(); }
    std::vector<DockTile> dockTiles() {
        std::vector<DockTile> out;
        for (auto& raw : PlistFileDockStore(domain).persistentApps()) out.emplace_back(raw);
        return out;
    }
    std::size_t historyCount() { return FileDockBackupStore(backups, 20).history().size(); }
    std::string presetID(DockController& c, const std::string& name) {
        for (auto& p : c.state().presets)
            if (p.name == name) return p.id;
        throw std::runtime_error("no preset " + name);
    }
};

} // namespace

TEST_F(DockControllerFilesTest, FirstStartSavesTheDefaultPresetAndLeavesTheDockAlone) {
    writeDictionary(domain, dockWith({appTile("a", 1), appTile("b", 2), spacerTile(3), appTile("c", 4)}));
    const std::string dockBytes = readFile(domain);

    auto c = controller();
    c->bootstrap("Home", "🏠");

    AppState saved = savedState();
    ASSERT_EQ(saved.presets.size(), 1u);
    EXPECT_EQ(saved.presets[0].id, "default");
    EXPECT_EQ(appIDs(saved.presets[0].apps), (Calls{"a", "b", "c"}));
    EXPECT_EQ(saved.presets[0].apps[0].path, "/Applications/a.app");
    EXPECT_EQ(saved.activePresetID, "default");
    EXPECT_EQ(readFile(domain), dockBytes);
    EXPECT_FALSE(fs::exists(backups));
    EXPECT_EQ(*restarts, 0);
}

TEST_F(DockControllerFilesTest, OlderStateFileIsMigratedAndTheOriginalBackupGivesTheDefaultPreset) {
    writeDictionary(domain, dockWith({appTile("a", 1), appTile("c", 3)}));
    // A state file of the older layout: presets list hidden identities, tiles taken out
    // of the Dock are hidden entries, and there is no default preset yet.
    writeFileAtomically(stateFile, R"({
  "presets": [ { "name": "Work", "hiddenIDs": ["c"], "isDefault": false } ],
  "hidden": [ { "tile": ")" + tileText(appTile("b", 2)) + R"(", "originalIndex": 1, "previousKey": "a" } ],
  "activePresetID": "legacy:Work"
})");
    FileDockBackupStore(backups, 20).saveBackup(dockWith({appTile("a", 1), appTile("b", 2), appTile("c", 3)}));

    auto c = controller();
    c->bootstrap("Home", "🏠");
    AppState saved = savedState();
    EXPECT_EQ(saved, c->state());
    ASSERT_EQ(saved.presets.size(), 2u);
    EXPECT_EQ(saved.presets[0].id, "default");
    EXPECT_EQ(appIDs(saved.presets[0].apps), (Calls{"a", "b", "c"})) << "from original.plist";
    EXPECT_EQ(saved.presets[1].id, "legacy:Work");
    EXPECT_EQ(appIDs(saved.presets[1].apps), (Calls{"a", "b"}));
    EXPECT_EQ(saved.presets[1].legacyHiddenIDs, std::nullopt);
    EXPECT_TRUE(saved.hidden.empty());
    ASSERT_EQ(saved.storedTiles.size(), 1u);
    EXPECT_EQ(saved.storedTiles[0].raw(), appTile("b", 2));
    EXPECT_EQ(saved.activePresetID, "legacy:Work");

    // Activating Work brings b back from the stored tile, not rebuilt.
    c->activate("legacy:Work");
    auto tiles = dockTiles();
    ASSERT_EQ(tileIDs(tiles), (Calls{"a", "b"}));
    EXPECT_EQ(tiles[1].raw(), appTile("b", 2));
}

TEST_F(DockControllerFilesTest, ExistingInstallationWithoutOriginalBackupUsesTheCompleteDock) {
    writeDictionary(domain, dockWith({appTile("a", 1), appTile("c", 3)}));
    writeFileAtomically(stateFile, R"({"presets": [], "storedTiles": [],
        "hidden": [ { "tile": ")" + tileText(appTile("b", 2)) + R"(", "originalIndex": 1 } ]})");
    auto c = controller();
    c->bootstrap("Home", "🏠");
    EXPECT_EQ(appIDs(savedState().presets[0].apps), (Calls{"a", "b", "c"}));
    EXPECT_EQ(savedState().activePresetID, "default");
}

TEST_F(DockControllerFilesTest, ActivationRemovesTilesAndAnotherBringsThemBackByteIdentical) {
    const Dictionary initial = dockWith({appTile("a", 1), appTile("b", 2), appTile("c", 3)});
    writeDictionary(domain, initial);
    auto c = controller();
    c->bootstrap("Home", "🏠");
    const std::string small = c->createPreset("Small", std::nullopt, apps({"c", "a"})).id;

    EXPECT_EQ(c->activate(small), (ApplyResult{true, true}));
    Dictionary written = readDictionary(domain);
    EXPECT_EQ(tileIDs(dockTiles()), (Calls{"c", "a"}));
    for (auto key : {"persistent-others", "tilesize", "mod-count", "trash-full"}) EXPECT_EQ(written.at(key), initial.at(key)) << key;
    AppState saved = savedState();
    EXPECT_EQ(saved.activePresetID, small);
    EXPECT_EQ(saved.storedTiles, (std::vector<DockTile>{DockTile(appTile("b", 2))}));
    Dictionary original = readDictionary(backups / "original.plist");
    EXPECT_EQ(original.at("persistent-apps"), initial.at("persistent-apps"));
    EXPECT_EQ(original.at("show-recents"), Value(true));
    EXPECT_EQ(original.count("tilesize"), 0u) << "a backup holds only the Dock keys";
    EXPECT_EQ(historyCount(), 1u);
    EXPECT_EQ(*restarts, 1);

    clock.now += std::chrono::seconds(1);
    EXPECT_EQ(c->activate("default"), (ApplyResult{true, true}));
    EXPECT_EQ(readDictionary(domain), initial) << "same tiles, same GUIDs and book data, other keys untouched";
    EXPECT_TRUE(savedState().storedTiles.empty());
    EXPECT_EQ(historyCount(), 2u);
    EXPECT_EQ(*restarts, 2);

    // Once more: nothing to do.
    EXPECT_EQ(c->activate("default"), (ApplyResult{false, false}));
    EXPECT_EQ(historyCount(), 2u);
}

TEST_F(DockControllerFilesTest, RecentsAndRestoreOriginalOverFiles) {
    const Dictionary initial = dockWith({appTile("a", 1), appTile("b", 2)});
    writeDictionary(domain, initial);
    auto c = controller();
    c->bootstrap("Home", "🏠");
    EXPECT_FALSE(c->restoreOriginal()) << "no backup yet";
    EXPECT_EQ(readDictionary(domain), initial);

    c->activate(c->createPreset("One", std::nullopt, apps({"b"})).id);
    clock.now += std::chrono::seconds(1);
    EXPECT_EQ(c->setRecentsVisible(false), (ApplyResult{true, true}));
    EXPECT_EQ(readDictionary(domain).at("show-recents"), Value(false));
    EXPECT_EQ(savedState(), c->state());

    clock.now += std::chrono::seconds(1);
    EXPECT_TRUE(c->restoreOriginal());
    Dictionary restored = readDictionary(domain);
    Dictionary expected = initial;
    expected["show-recents"] = Value(true); // the original snapshot held the default
    EXPECT_EQ(restored, expected);
    EXPECT_EQ(savedState().activePresetID, "default");
    EXPECT_EQ(historyCount(), 3u);
    EXPECT_EQ(FileDockBackupStore(backups, 20).loadLatest()->at("show-recents"), Value(false));
}

// MARK: - Faults

TEST_F(DockControllerFilesTest, BackupFolderThatCannotBeCreatedStopsBeforeTheDockIsWritten) {
    writeDictionary(domain, dockWith({appTile("a", 1), appTile("b", 2)}));
    auto c = controller();
    c->bootstrap("Home", "🏠");
    const std::string small = c->createPreset("Small", std::nullopt, apps({"a"})).id;
    const std::string dockBytes = readFile(domain);
    writeFileAtomically(backups, "a regular file where the folder belongs");

    EXPECT_THROW(c->activate(small), fs::filesystem_error);
    EXPECT_EQ(readFile(domain), dockBytes);
    EXPECT_EQ(readFile(backups), "a regular file where the folder belongs");
    EXPECT_EQ(savedState().activePresetID, small) << "the switch itself was recorded";
    EXPECT_TRUE(savedState().storedTiles.empty());
    EXPECT_EQ(*restarts, 0);
}

TEST_F(DockControllerFilesTest, StateThatCannotBeSavedLeavesTheDockWrittenAndUnrestarted) {
    writeDictionary(domain, dockWith({appTile("a", 1), appTile("b", 2)}));
    auto c = controller();
    c->bootstrap("Home", "🏠");
    const std::string stateBytes = readFile(stateFile);
    fs::path moved = home / "state.json.saved";
    fs::rename(stateFile, moved);
    fs::create_directories(stateFile / "blocker"); // a folder with content cannot be replaced

    EXPECT_THROW(c->apply(apps({"a"})), fs::filesystem_error);
    EXPECT_EQ(tileIDs(dockTiles()), Calls{"a"}) << "the Dock file is complete and readable";
    EXPECT_EQ(historyCount(), 1u);
    EXPECT_EQ(*restarts, 0);
    EXPECT_EQ(tileIDs(c->state().storedTiles), Calls{"b"}) << "kept in memory";

    // Once the state can be saved again, retrying the same apply saves it although the
    // Dock already matches: the tile taken out of the Dock reaches the file.
    fs::remove_all(stateFile);
    fs::rename(moved, stateFile);
    EXPECT_EQ(readFile(stateFile), stateBytes);
    EXPECT_EQ(c->apply(apps({"a"})), ApplyResult{});
    EXPECT_EQ(tileIDs(savedState().storedTiles), Calls{"b"});
    EXPECT_EQ(historyCount(), 1u) << "nothing more is written to the Dock";
}

TEST_F(DockControllerFilesTest, RestarterThatCannotBeLaunchedIsReportedAfterEverythingIsWritten) {
    writeDictionary(domain, dockWith({appTile("a", 1), appTile("b", 2)}));
    auto c = controller(std::make_unique<ProcessDockRestarter>((home / "no/such/killall").string()));
    c->bootstrap("Home", "🏠");
    const std::string small = c->createPreset("Small", std::nullopt, apps({"b"})).id;

    EXPECT_THROW(c->activate(small), std::system_error);
    EXPECT_EQ(tileIDs(dockTiles()), Calls{"b"});
    EXPECT_EQ(tileIDs(savedState().storedTiles), Calls{"a"});
    EXPECT_EQ(savedState().activePresetID, small);
}

TEST_F(DockControllerFilesTest, CorruptDockDomainIsKeptAsideWhenTheFirstWriteReplacesIt) {
    ScopedTimeZone utc("UTC");
    std::string full = plist::toBinary(Value(dockWith({appTile("a", 1), appTile("b", 2)})));
    const std::string corrupt = full.substr(0, full.size() / 2);
    writeFileAtomically(domain, corrupt);
    writeFileAtomically(stateFile, R"({"presets": [{"id": "default", "name": "Home", "isDefault": true,
        "apps": [{"id": "a", "path": "/Applications/a.app", "name": "a"}]}], "activePresetID": "default"})");

    auto c = controller();
    c->bootstrap("Home", "🏠");
    EXPECT_TRUE(c->dockApps().empty()) << "an unreadable domain reads as empty";
    EXPECT_EQ(readFile(domain), corrupt);

    EXPECT_EQ(c->applyActivePreset(), (ApplyResult{true, true}));
    EXPECT_EQ(readFile(domain.parent_path() / "com.apple.dock.plist.unreadable-20240305-070809-045"), corrupt);
    auto tiles = dockTiles();
    ASSERT_EQ(tileIDs(tiles), Calls{"a"});
    EXPECT_EQ(tiles[0].raw(), DockTile::make(app("a")).raw()) << "built from the preset";
}

TEST_F(DockControllerFilesTest, MissingDockDomainIsCreatedByTheFirstActivation) {
    auto c = controller();
    c->bootstrap("Home", "🏠");
    EXPECT_TRUE(c->state().presets[0].apps.empty());
    EXPECT_FALSE(fs::exists(domain));

    c->activate(c->createPreset("Mail", std::nullopt, apps({"mail", "notes"})).id);
    EXPECT_EQ(tileIDs(dockTiles()), (Calls{"mail", "notes"}));
    EXPECT_EQ(readDictionary(backups / "original.plist"), (Dictionary{{"show-recents", Value(true)}}));
    EXPECT_TRUE(c->restoreOriginal());
    EXPECT_TRUE(dockTiles().empty());
    EXPECT_EQ(readDictionary(domain).count("persistent-apps"), 0u);
}

TEST_F(DockControllerFilesTest, UnreadableStateFileStopsConstructionAndIsLeftAsItIs) {
    writeDictionary(domain, dockWith({appTile("a", 1)}));
    const std::string dockBytes = readFile(domain);
    writeFileAtomically(stateFile, R"({"presets": [{"id": "x"}]})"); // "name" is required
    EXPECT_THROW(controller(), StateFileError);
    EXPECT_EQ(readFile(stateFile), R"({"presets": [{"id": "x"}]})");
    EXPECT_EQ(readFile(domain), dockBytes);
}
