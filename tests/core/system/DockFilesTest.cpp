// The file-backed ports in a temporary home (the Dock's domain file, the backup folder and
// the state file), alone and under the controller: what they read and write back, and what
// unreadable, odd or unwritable files and a writer killed in the middle of a save leave behind.

#include <signal.h>
#include <sys/resource.h>

#include <cstring>
#include <fstream>

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "core/dock/OriginalDockUnreadableError.h"
#include "core/model/JSONFileStateStorage.h"
#include "core/system/DockPreferencesError.h"
#include "core/system/FileDockBackupStore.h"
#include "core/system/PlistFileDockStore.h"
#include "tests/core/support/Unprivileged.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

using Calls = std::vector<std::string>;

/// Keys the Dock keeps that the store must never change, of every value type.
Dictionary foreignKeys(Dictionary more = {}) {
    Dictionary keys{{"tilesize", Value(48.5)}, {"orientation", Value("left")}, {"mod-count", Value(std::int64_t{-7})},
                    {"autohide", Value(true)}, {"last-messagetrace-stamp", Value(plist::Date{734567890.25})},
                    {"trash-state", Value(plist::Data{1, 2, 3, 0, 255})},
                    {"wvous-tl", Value(Dictionary{{"corner", Value(Array{Value(1), Value("x")})}})}};
    for (auto& [k, v] : more) keys.insert_or_assign(k, v);
    return keys;
}

Value tiles(std::initializer_list<Dictionary> list) { return Value(Array(list.begin(), list.end())); }

Dictionary snapshotNamed(const std::string& name) {
    return {{"persistent-apps", tiles({Dictionary{{"tile-data", Value(Dictionary{{"file-label", Value(name)}})}}})},
            {"persistent-others", Value(Array{})},
            {"show-recents", Value(true)}};
}

std::vector<std::string> names(const std::vector<fs::path>& paths) {
    std::vector<std::string> out;
    for (auto& p : paths) out.push_back(p.filename().string());
    return out;
}

class DockFilesTest : public ::testing::Test {
protected:
    TempFolder home;
    fs::path file = home / "config/com.apple.dock.plist", stateFile = home / "data/state.json";
    fs::path backupFolder = home / "data/Backups";
    ManualClock clock{sampleMoment()};

    std::vector<fs::path> unreadableCopies() {
        std::vector<fs::path> found;
        for (auto& entry : fs::directory_iterator(file.parent_path()))
            if (entry.path().filename().string().rfind("com.apple.dock.plist.unreadable-", 0) == 0) found.push_back(entry.path());
        return found;
    }
    FileDockBackupStore store(std::int64_t maxHistory = 20) {
        return FileDockBackupStore(backupFolder, maxHistory, [this] { return clock(); });
    }
    /// Moves the clock on and saves; returns the name the backup should have.
    std::string save(FileDockBackupStore& store, const std::string& name, std::chrono::milliseconds step = std::chrono::seconds(1)) {
        clock.now += step;
        store.saveBackup(snapshotNamed(name));
        return "dock-" + localTimeStamp(clock.now) + ".plist";
    }
    /// A controller after its first start over a Dock domain of these bytes. Its clock moves one
    /// second on at every reading, so that no two backups share a name.
    std::unique_ptr<DockController> started(const std::string& domainBytes) {
        fs::remove_all(home / "config");
        fs::remove_all(home / "data");
        writeFileAtomically(file, domainBytes);
        WallClock ticking = [this] { return clock.now += std::chrono::seconds(1); };
        auto c = std::make_unique<DockController>(
            std::make_unique<PlistFileDockStore>(file, ticking), std::make_unique<FakeRestarter>(std::make_shared<FakeSystem>()),
            std::make_unique<FileDockBackupStore>(backupFolder, 20, ticking), std::make_unique<JSONFileStateStorage>(stateFile));
        c->bootstrap("Home", "🏠");
        return c;
    }
    Calls dockIDs() {
        std::vector<DockTile> list;
        for (auto& raw : PlistFileDockStore(file).persistentApps()) list.emplace_back(raw);
        return tileIDs(list);
    }
};
using PlistFileDockStoreTest = DockFilesTest;
using FileDockBackupStoreTest = DockFilesTest;
using DockControllerFilesTest = DockFilesTest;

} // namespace

// MARK: - The Dock's domain file

TEST_F(PlistFileDockStoreTest, ReadsSeeWhatAnotherProcessStoredAndWritesMergeOverItInTheBinaryFormat) {
    writeDictionary(file, foreignKeys({{"persistent-apps", tiles({appTile("a", 1)})}}));
    PlistFileDockStore store(file);
    EXPECT_EQ(store.persistentApps(), std::vector<Dictionary>{appTile("a", 1)});

    // The Dock rewrites its domain: new apps, a changed size, one key dropped, one added.
    Dictionary docks = foreignKeys({{"tilesize", Value(64.0)}, {"persistent-apps", tiles({appTile("a", 1), appTile("z", 9)})}});
    docks.erase("orientation");
    writeDictionary(file, docks);
    EXPECT_EQ(store.persistentApps().size(), 2u);
    docks["persistent-others"] = Value(Array{Value("Downloads")});
    writeDictionary(file, docks);

    store.setPersistentApps({appTile("b", 2), appTile("c", 3)});
    store.setShowRecents(false);
    EXPECT_EQ(readFile(file).substr(0, 8), "bplist00");
    docks["persistent-apps"] = tiles({appTile("b", 2), appTile("c", 3)});
    docks["show-recents"] = Value(false);
    EXPECT_EQ(readDictionary(file), docks) << "nothing resurrected, nothing lost";
    EXPECT_EQ(store.persistentApps(), (std::vector<Dictionary>{appTile("b", 2), appTile("c", 3)}));

    // A rewrite in place of the same size is seen too.
    std::string bytes = plist::toBinary(Value(Dictionary{{"show-recents", Value(true)}}));
    std::string flipped = plist::toBinary(Value(Dictionary{{"show-recents", Value(false)}}));
    ASSERT_EQ(bytes.size(), flipped.size());
    writeFileAtomically(file, bytes);
    EXPECT_EQ(store.showRecents(), true);
    std::ofstream(file, std::ios::binary | std::ios::in | std::ios::out) << flipped;
    EXPECT_EQ(store.showRecents(), false);
}

TEST_F(PlistFileDockStoreTest, MissingDomainAndWrongTypesReadAsDefaults) {
    PlistFileDockStore store(file);
    EXPECT_TRUE(store.persistentApps().empty());
    EXPECT_EQ(store.showRecents(), std::nullopt);
    EXPECT_EQ(store.snapshot(), (Dictionary{{"show-recents", Value(true)}}));
    EXPECT_FALSE(fs::exists(file.parent_path())) << "reading creates nothing";

    const Value apps(Array{Value(appTile("a", 1)), Value("not a tile")});
    writeDictionary(file, {{"persistent-apps", apps}, {"show-recents", Value("yes")}});
    EXPECT_TRUE(store.persistentApps().empty());
    EXPECT_EQ(store.showRecents(), std::nullopt);
    // The snapshot carries the list exactly as stored, even with a bad element.
    EXPECT_EQ(store.snapshot(), (Dictionary{{"persistent-apps", apps}, {"show-recents", Value(true)}}));
    writeDictionary(file, {{"persistent-apps", Value(Dictionary{})}});
    EXPECT_TRUE(store.persistentApps().empty());
}

TEST_F(PlistFileDockStoreTest, RestorePutsBackTheSnapshotsDockKeysAndRemovesThoseItLacks) {
    Array others{Value(Dictionary{{"tile-data", Value(Dictionary{{"file-label", Value("Downloads")}})}})};
    writeDictionary(file, foreignKeys({{"persistent-others", Value(others)}, {"show-recents", Value(false)}}));
    PlistFileDockStore store(file);
    Dictionary snapshot = store.snapshot();
    EXPECT_EQ(snapshot, (Dictionary{{"persistent-others", Value(others)}, {"show-recents", Value(false)}}));

    store.setPersistentApps({appTile("a", 1)});
    writeDictionary(file, foreignKeys({{"persistent-apps", tiles({appTile("a", 1)})}, {"persistent-others", Value(Array{})}}));
    store.restore(snapshot);
    EXPECT_EQ(readDictionary(file), foreignKeys(snapshot));

    // A snapshot without "show-recents" leaves the current value alone.
    store.restore({{"persistent-apps", tiles({appTile("b", 2)})}});
    EXPECT_EQ(readDictionary(file), foreignKeys({{"persistent-apps", tiles({appTile("b", 2)})}, {"show-recents", Value(false)}}));
}

TEST_F(PlistFileDockStoreTest, UnreadableDomainIsEmptyAndKeptBesideBeforeTheFirstWrite) {
    const std::string bytes = plist::toBinary(Value(foreignKeys({{"persistent-apps", tiles({appTile("a", 1)})}})));
    const std::string unreadable[] = {
        bytes.substr(0, bytes.size() - 9),                       // truncated
        "this is not a property list",                           // garbage
        plist::toXML(Value(Array{Value(appTile("a", 1))})),      // top level not a dictionary
    };
    for (const auto& content : unreadable) {
        SCOPED_TRACE(content.substr(0, 20));
        fs::remove_all(file.parent_path());
        writeFileAtomically(file, content);
        PlistFileDockStore store(file, clock);
        EXPECT_TRUE(store.persistentApps().empty());
        EXPECT_TRUE(unreadableCopies().empty()) << "reading alone keeps the file as it is";
        // A snapshot, taken only before a write, keeps the copy at once and names it, so
        // that it is never taken for an empty Dock.
        const fs::path kept = file.parent_path() / ("com.apple.dock.plist.unreadable-" + localTimeStamp(sampleMoment()));
        EXPECT_EQ(store.snapshot(), (Dictionary{{"show-recents", Value(true)},
                                                {DockPreferencesStore::unreadableFileKey, Value(kept.string())}}));
        EXPECT_EQ(readFile(file), content);
        EXPECT_EQ(readFile(kept), content);

        store.setPersistentApps({appTile("b", 2)});
        store.setShowRecents(false); // readable again: nothing more is copied
        EXPECT_EQ(unreadableCopies(), std::vector<fs::path>{kept});
        EXPECT_EQ(readDictionary(file), (Dictionary{{"persistent-apps", tiles({appTile("b", 2)})}, {"show-recents", Value(false)}}));
    }
    // A later unreadable content at the same moment gets a copy of its own.
    writeFileAtomically(file, "second broken content");
    PlistFileDockStore(file, clock).setShowRecents(true);
    std::set<std::string> contents;
    for (auto& copy : unreadableCopies()) contents.insert(readFile(copy));
    EXPECT_EQ(contents, (std::set<std::string>{unreadable[2], "second broken content"}));
}

TEST_F(PlistFileDockStoreTest, FailedWritesThrowAndAreNotReportedLaterAsStored) {
    // The domain's folder cannot be created: a regular file stands in its place.
    writeFileAtomically(home / "blocked", "a file");
    PlistFileDockStore blocked(home / "blocked/com.apple.dock.plist");
    auto error = thrown<DockPreferencesError>([&] { blocked.setPersistentApps({appTile("a", 1)}); });
    EXPECT_EQ(error ? std::optional(error->code()) : std::nullopt, DockPreferencesError::Code::synchronizeFailed);
    EXPECT_THROW(blocked.setShowRecents(false), DockPreferencesError);
    EXPECT_EQ(std::pair(blocked.persistentApps().empty(), blocked.showRecents()), std::pair(true, std::optional<bool>()));
    EXPECT_THROW(blocked.restore({{"show-recents", Value(false)}}), DockPreferencesError);
    EXPECT_EQ(readFile(home / "blocked"), "a file");

    // A domain file that cannot be read is never written over, though it could be replaced.
    writeFileAtomically(file, "kept");
    asOrdinaryUser(home.path(), [&] {
        fs::permissions(file, fs::perms::owner_write);
        PlistFileDockStore unreadable(file);
        EXPECT_TRUE(unreadable.persistentApps().empty());
        EXPECT_THROW(unreadable.setShowRecents(false), DockPreferencesError);
        fs::permissions(file, fs::perms::owner_read | fs::perms::owner_write);
        EXPECT_EQ(readFile(file), "kept");
    });
}

TEST_F(PlistFileDockStoreTest, DefaultLocationFollowsAnAbsoluteXDGConfigHomeElseHome) {
    const fs::path inHome = "/home/u/.config/com.apple.dock.plist";
    EXPECT_EQ(PlistFileDockStore::defaultFile("/x/config", "/home/u"), fs::path("/x/config/com.apple.dock.plist"));
    EXPECT_EQ(PlistFileDockStore::defaultFile(std::nullopt, "/home/u"), inHome);
    EXPECT_EQ(PlistFileDockStore::defaultFile("rel", "/home/u"), inHome);
    EXPECT_THROW(PlistFileDockStore::defaultFile(std::nullopt, std::nullopt), std::runtime_error);
    EXPECT_THROW(PlistFileDockStore::defaultFile("", "home/u"), std::runtime_error);
}

TEST_F(PlistFileDockStoreTest, OtherKeysOfEveryKindAreWrittenBackUnchangedOrTheWriteIsRefused) {
    // Values no plist::Value can express are made by swapping bytes in the file: a date
    // past where the library's 32-bit date accessors end (about 68 years from 2001), a
    // string holding U+0000.
    auto date = [](double seconds) {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &seconds, sizeof bits);
        std::string out(1, '\x33');
        for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>(bits >> shift);
        return out;
    };
    struct Row { const char* name; Value value; std::string patchFrom, patchTo; bool writable; }; // value under "other"
    const Row rows[] = {
        {"UID", Value(plist::Uid{7}), {}, {}, true},
        {"date in 2100", Value(plist::Date{3137229296.0}), {}, {}, true},
        {"date in 1500", Value(plist::Date{-15778800000.0}), {}, {}, true},
        {"date in 2100 and a half second", Value(plist::Date{1.5}), date(1.5), date(3137229296.5), false},
        {"string holding U+0000", Value("ab\x01" "cd"), "ab\x01" "cd", std::string("ab\0cd", 5), false},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        std::string bytes = plist::toBinary(Value(Dictionary{{"other", r.value}, {"show-recents", Value(true)}}));
        if (!r.patchFrom.empty()) bytes.replace(bytes.find(r.patchFrom), r.patchFrom.size(), r.patchTo);
        writeFileAtomically(file, bytes);
        PlistFileDockStore store(file, clock);
        if (r.writable) {
            store.setShowRecents(false);
            EXPECT_EQ(readDictionary(file), (Dictionary{{"other", r.value}, {"show-recents", Value(false)}}));
            continue;
        }
        EXPECT_THROW(store.setShowRecents(false), DockPreferencesError);
        EXPECT_EQ(readFile(file), bytes) << "left exactly as it was";
        EXPECT_EQ(store.showRecents(), true) << "the refused change is not shown as stored";
    }
}

// MARK: - Backups

TEST(LocalTimeStamp, FormatsLocalTimeWithMilliseconds) {
    using namespace std::chrono;
    const struct { const char* zone; system_clock::time_point moment; const char* expected; } rows[] = {
        {"UTC", sampleMoment(), "20240305-070809-045"},
        {"UTC", sys_days{year{1969} / 12 / 31} + hours{23} + minutes{59} + seconds{59} + milliseconds{999}, "19691231-235959-999"},
        {"UTC", sys_days{year{2024} / 12 / 31} + hours{23} + milliseconds{1}, "20241231-230000-001"},
        {"UTC-2", sampleMoment(), "20240305-090809-045"}, // POSIX notation: two hours east of UTC
        {"UTC-2", sys_days{year{2024} / 12 / 31} + hours{23}, "20250101-010000-000"},
    };
    for (const auto& r : rows) {
        ::setenv("TZ", r.zone, 1);
        ::tzset();
        EXPECT_EQ(localTimeStamp(r.moment), r.expected) << r.zone;
    }
    ::unsetenv("TZ");
    ::tzset();
}

TEST_F(FileDockBackupStoreTest, FirstSaveIsTheOriginalLaterSavesNeverChangeAndHistoryIsPrunedOldestFirst) {
    auto backups = store(20);
    EXPECT_EQ(backups.loadOriginal(), std::nullopt);
    EXPECT_THROW(backups.history(), fs::filesystem_error) << "a missing folder cannot be listed";
    std::vector<std::string> written{save(backups, "save 0")};
    const std::string original = readFile(backupFolder / "original.plist");
    EXPECT_EQ(original, readFile(backupFolder / written[0]));
    EXPECT_NE(original.find("<plist version=\"1.0\">"), std::string::npos) << "backups are XML property lists";
    // Steps of a second and a half: names carry the milliseconds.
    for (int i = 1; i <= 20; ++i) written.push_back(save(backups, "save " + std::to_string(i), std::chrono::milliseconds(1500)));
    EXPECT_EQ(names(backups.history()), std::vector<std::string>(written.begin() + 1, written.end()));
    EXPECT_EQ(backups.loadOriginal(), snapshotNamed("save 0"));

    // Lowering the bound prunes several at once on the next save.
    backups.maxHistory = 3;
    written.push_back(save(backups, "last"));
    EXPECT_EQ(names(backups.history()), std::vector<std::string>(written.end() - 3, written.end()));
    EXPECT_EQ(backups.loadLatest(), snapshotNamed("last"));

    for (std::int64_t bound : {0, -4}) {
        backups.maxHistory = bound;
        save(backups, "none kept");
        EXPECT_EQ(std::pair(backups.history().empty(), backups.loadLatest()), std::pair(true, std::optional<Dictionary>()));
        EXPECT_EQ(backups.loadOriginal(), snapshotNamed("save 0"));
    }
}

TEST_F(FileDockBackupStoreTest, FilesOfOtherNamesAreIgnoredAndNeverDeleted) {
    const std::vector<std::string> foreign = {"Dock-20000101-000000-000.plist", "dock-20000101-000000-000.PLIST",
                                              "dock-20000101-000000-000.plist.bak", "other.plist", "notes.txt",
                                              "DOCK-1.plist"};
    for (auto& name : foreign) writeFileAtomically(backupFolder / name, "user file " + name);
    // Hidden entries count; this one sorts first and so is pruned first.
    writeFileAtomically(backupFolder / "dock-.plist", "x");

    auto backups = store(0);
    backups.saveBackup(snapshotNamed("one"));
    EXPECT_TRUE(backups.history().empty());
    EXPECT_FALSE(fs::exists(backupFolder / "dock-.plist"));
    for (auto& name : foreign) EXPECT_EQ(readFile(backupFolder / name), "user file " + name) << name;
}

TEST_F(FileDockBackupStoreTest, OriginalThatIsNotADictionaryIsAbsentAndACorruptOneIsAnErrorAndKept) {
    auto backups = store();
    writeFileAtomically(backupFolder / "original.plist", plist::toXML(Value(Array{Value(1)})));
    EXPECT_EQ(backups.loadOriginal(), std::nullopt);

    writeFileAtomically(backupFolder / "original.plist", "<plist><dict><key>persistent-apps</key>");
    EXPECT_THROW(backups.loadOriginal(), plist::PlistError);
    backups.saveBackup(snapshotNamed("now"));
    EXPECT_EQ(readFile(backupFolder / "original.plist"), "<plist><dict><key>persistent-apps</key>");
    EXPECT_EQ(backups.loadLatest(), snapshotNamed("now"));
}

TEST_F(FileDockBackupStoreTest, FailuresArePassedOnAndKeepWhatWasWritten) {
    // A folder that cannot be created: a regular file stands in the way.
    writeFileAtomically(home / "data", "not a folder");
    EXPECT_THROW(store().saveBackup(snapshotNamed("x")), fs::filesystem_error);
    EXPECT_EQ(readFile(home / "data"), "not a folder");
    fs::remove(home / "data");

    // The time-stamped file cannot be written (a folder with content holds its name):
    // the original written just before stays.
    const std::string blocked = "dock-" + localTimeStamp(clock.now) + ".plist";
    fs::create_directories(backupFolder / blocked / "inside");
    auto backups = store();
    EXPECT_THROW(backups.saveBackup(snapshotNamed("first")), fs::filesystem_error);
    EXPECT_EQ(backups.loadOriginal(), snapshotNamed("first"));

    // A history entry that cannot be deleted is skipped while pruning.
    backups.maxHistory = 0;
    save(backups, "second");
    EXPECT_EQ(names(backups.history()), std::vector<std::string>{blocked});
}

// MARK: - Under the controller

TEST_F(DockControllerFilesTest, TemporaryFileOfAWriterKilledAtTheFileSizeLimitDoesNotStopTheNextSave) {
    const AppState first{{}, {}, {}, "first"};
    const AppState second{{}, {}, {makePreset("default", "Home", apps({"a", "b", "c", "d", "e", "f", "g"}), true)}, std::nullopt};
    JSONFileStateStorage storage(stateFile);
    storage.save(first);
    // A forked child draws the same temporary names as this process: its first is this
    // process's next one. It is killed by SIGXFSZ in the middle of writing that file.
    const ChildOutcome outcome = runInChild([&] {
        const rlimit noCore{0, 0}, small{16, 16};
        ::setrlimit(RLIMIT_CORE, &noCore);
        ::setrlimit(RLIMIT_FSIZE, &small);
        ::signal(SIGXFSZ, SIG_DFL);
        storage.save(second);
    });
    ASSERT_EQ(outcome, ChildOutcome::killed) << "the child ends by the signal";
    // The state file and the killed writer's temporary file.
    auto entries = [&] { return std::distance(fs::directory_iterator(stateFile.parent_path()), fs::directory_iterator()); };
    ASSERT_EQ(entries(), 2);
    EXPECT_EQ(storage.load(), first) << "the file holds the whole old state";

    storage.save(second);
    EXPECT_EQ(storage.load(), second);
    EXPECT_EQ(entries(), 2) << "the leftover is not touched";
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
        EXPECT_EQ(readDictionary(file).at("persistent-apps"), Value(Array{Value(appTile("a", 1)), Value(odd)}));
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
        // A refused restore names the file holding the unreadable preferences, leaves the Dock and backs up nothing.
        auto error = thrown<OriginalDockUnreadableError>([&] { EXPECT_TRUE(c->restoreOriginal()); });
        EXPECT_EQ(error ? readFile(error->keptFile()) : "not refused", r.refused ? r.content : "not refused");
        EXPECT_EQ(dockIDs(), r.refused ? Calls{"x"} : Calls{});
        EXPECT_EQ(FileDockBackupStore(backupFolder, 20).history().size(), r.refused ? 1u : 2u);
    }
}
