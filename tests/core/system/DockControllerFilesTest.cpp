// The controller over the real file-backed ports in a temporary home: the Dock's domain
// file, the backup folder and the state file.

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "SystemTestSupport.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/PlistFileDockStore.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

using Calls = std::vector<std::string>;

class DockControllerFilesTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    fs::path domain = home / "config/com.apple.dock.plist";
    fs::path support = home / "data/Kestrine";
    fs::path stateFile = support / "state.json";
    fs::path backups = support / "Backups";
    ManualClock clock{sampleMoment()};
    std::shared_ptr<int> restarts = std::make_shared<int>(0);

    std::unique_ptr<DockController> controller() {
        return std::make_unique<DockController>(
            std::make_unique<PlistFileDockStore>(domain, [this] { return clock(); }),
            std::make_unique<CountingRestarter>(restarts),
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
};

} // namespace

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

// MARK: - Faults

TEST_F(DockControllerFilesTest, StateThatCannotBeSavedLeavesTheDockWrittenAndTheRestartOwed) {
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
    // Dock already matches: the tile taken out of the Dock reaches the file, and the Dock
    // gets the restart it missed.
    fs::remove_all(stateFile);
    fs::rename(moved, stateFile);
    EXPECT_EQ(readFile(stateFile), stateBytes);
    EXPECT_EQ(c->apply(apps({"a"})), (ApplyResult{false, true}));
    EXPECT_EQ(*restarts, 1);
    EXPECT_EQ(tileIDs(savedState().storedTiles), Calls{"b"});
    EXPECT_EQ(historyCount(), 1u) << "nothing more is written to the Dock";
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
