#include "core/system/DockPreferencesError.h"
#include "core/system/PlistFileDockStore.h"

#include <cstring>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "tests/core/support/Unprivileged.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

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

class PlistFileDockStoreTest : public ::testing::Test {
protected:
    TempFolder home;
    fs::path file = home / "config/com.apple.dock.plist";
    const std::string keptName = "com.apple.dock.plist.unreadable-" + localTimeStamp(sampleMoment());
    ManualClock clock{sampleMoment()};

    std::vector<fs::path> unreadableCopies() {
        std::vector<fs::path> found;
        for (auto& entry : fs::directory_iterator(file.parent_path()))
            if (entry.path().filename().string().rfind("com.apple.dock.plist.unreadable-", 0) == 0) found.push_back(entry.path());
        return found;
    }
};

} // namespace

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
        const fs::path kept = file.parent_path() / keptName;
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
    EXPECT_TRUE(blocked.persistentApps().empty());
    EXPECT_THROW(blocked.setShowRecents(false), DockPreferencesError);
    EXPECT_EQ(blocked.showRecents(), std::nullopt);
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
