// Faults only real files show, under the controller over the real file-backed ports in a
// temporary home (the Dock's domain file, the backup folder and the state file): a writer
// killed in the middle of a save, Dock entries and preferences that are not what they
// should be.

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "core/dock/OriginalDockUnreadableError.h"
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
    TempFolder home;
    fs::path domain = home / "config/com.apple.dock.plist", stateFile = home / "data/state.json";
    fs::path backups = home / "data/Backups";
    // Every reading moves one second on, so that no two backups share a name.
    WallClock clock = [now = std::make_shared<std::chrono::system_clock::time_point>(sampleMoment())] {
        return *now += std::chrono::seconds(1);
    };

    /// A controller after its first start over a Dock domain of these bytes.
    std::unique_ptr<DockController> started(const std::string& domainBytes) {
        fs::remove_all(home / "config");
        fs::remove_all(home / "data");
        writeFileAtomically(domain, domainBytes);
        auto c = std::make_unique<DockController>(
            std::make_unique<PlistFileDockStore>(domain, clock), std::make_unique<FakeRestarter>(std::make_shared<FakeSystem>()),
            std::make_unique<FileDockBackupStore>(backups, 20, clock), std::make_unique<JSONFileStateStorage>(stateFile));
        c->bootstrap("Home", "🏠");
        return c;
    }
    Calls dockIDs() {
        std::vector<DockTile> tiles;
        for (auto& raw : PlistFileDockStore(domain).persistentApps()) tiles.emplace_back(raw);
        return tileIDs(tiles);
    }
};

} // namespace

TEST_F(DockControllerFilesTest, TemporaryFileOfAWriterKilledAtTheFileSizeLimitDoesNotStopTheNextSave) {
    AppState first, second;
    first.activePresetID = "first";
    second.presets = {makePreset("default", "Home", apps({"a", "b", "c", "d", "e", "f", "g"}), true)};
    JSONFileStateStorage storage(stateFile);
    storage.save(first);
    // A forked child draws the same temporary names as this process: its first is this
    // process's next one. It is killed by SIGXFSZ in the middle of writing that file.
    std::fflush(stdout);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit noCore{0, 0}, small{16, 16};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::setrlimit(RLIMIT_FSIZE, &small);
        ::signal(SIGXFSZ, SIG_DFL);
        storage.save(second);
        ::_exit(0);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "status " << status;
    auto temporaries = [&] {
        std::size_t n = 0;
        for (auto& entry : fs::directory_iterator(stateFile.parent_path()))
            n += entry.path().filename().string().rfind("state.json.tmp-", 0) == 0;
        return n;
    };
    ASSERT_EQ(temporaries(), 1u);
    EXPECT_EQ(storage.load(), first) << "the file holds the whole old state";

    storage.save(second);
    EXPECT_EQ(storage.load(), second);
    EXPECT_EQ(temporaries(), 1u) << "the leftover is not touched";
}

TEST_F(DockControllerFilesTest, DockEntryWhoseURLIsNotUTF8KeepsTheStateSavable) {
    struct Row { const char* url; const char* path; const char* name; };
    const Row rows[] = {
        {"file:///Applications/Caf%E9%20Bar.app/", "/Applications/Caf%E9%20Bar.app", "Caf%E9%20Bar"},
        {"file:///Apps/%C0%AF.app/", "/Apps/%C0%AF.app", "%C0%AF"}, // an overlong "/"
        {"file:///Applications/Caf%C3%A9.app/", "/Applications/Caf\u00e9.app", "Caf\u00e9"},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.url);
        const Dictionary odd{{"tile-type", Value("file-tile")},
                             {"tile-data", Value(Dictionary{{"file-data", Value(Dictionary{{"_CFURLString", Value(r.url)},
                                                                                           {"_CFURLStringType", Value(15)}})}})}};
        auto c = started(plist::toBinary(Value(dockWith({appTile("a", 1), odd}))));
        EXPECT_EQ(JSONFileStateStorage(stateFile).load(), c->state());
        const PresetApp found = c->state().presets.at(0).apps.at(1);
        EXPECT_EQ(found, PresetApp(std::string("url:") + r.url, r.path, r.name));
        EXPECT_EQ(DockTile::make(found).identity(), found.id) << "a tile made afresh is the same entry";

        // Taken out and put back: the very tile returns and the state saves throughout.
        c->activate(c->createPreset("Just a", std::nullopt, apps({"a"})).id);
        c->activate(Preset::defaultID);
        EXPECT_EQ(readDictionary(domain).at("persistent-apps"), Value(Array{Value(appTile("a", 1)), Value(odd)}));
        EXPECT_EQ(JSONFileStateStorage(stateFile).load(), c->state());
    }
}

TEST_F(DockControllerFilesTest, OriginalTakenFromUnreadablePreferencesIsNeverRestoredAsAnEmptyDock) {
    const std::string good = plist::toBinary(Value(dockWith({appTile("a", 1), appTile("b", 2)})));
    struct Row { const char* name; std::string content; bool refused; };
    const Row rows[] = {
        {"truncated", good.substr(0, good.size() - 9), true},
        {"array at the top", plist::toXML(Value(Array{Value(appTile("a", 1))})), true},
        {"empty file: an empty Dock indeed", "", false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        auto c = started(r.content);
        c->activate(c->createPreset("Mine", std::nullopt, apps({"x"})).id);
        ASSERT_EQ(dockIDs(), Calls{"x"});
        if (!r.refused) {
            EXPECT_TRUE(c->restoreOriginal());
            EXPECT_EQ(dockIDs(), Calls{});
            continue;
        }
        auto error = thrown<OriginalDockUnreadableError>([&] { c->restoreOriginal(); });
        ASSERT_TRUE(error);
        EXPECT_EQ(readFile(error->keptFile()), r.content) << "the named file holds the unreadable preferences";
        EXPECT_EQ(dockIDs(), Calls{"x"}) << "the Dock is not emptied";
        EXPECT_EQ(FileDockBackupStore(backups, 20).history().size(), 1u) << "nothing was backed up for the refused restore";
    }
}
