#include "core/system/DockPreferencesError.h"
#include "core/system/PlistFileDockStore.h"

#include <cstring>
#include <fstream>
#include <set>

#include <gtest/gtest.h>

#include "DockFixtures.h"
#include "SystemTestSupport.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using plist::Array;
using plist::Data;
using plist::Dictionary;
using plist::Value;

namespace {

/// Keys the Dock keeps that the store must never change, of every value type.
Dictionary foreignKeys() {
    return {{"tilesize", Value(48.5)},
            {"orientation", Value("left")},
            {"mod-count", Value(std::int64_t{-7})},
            {"autohide", Value(true)},
            {"last-messagetrace-stamp", Value(plist::Date{734567890.25})},
            {"trash-state", Value(Data{1, 2, 3, 0, 255})},
            {"wvous-tl", Value(Dictionary{{"corner", Value(Array{Value(1), Value("x")})}})}};
}

Dictionary withKeys(Dictionary base, const Dictionary& more) {
    for (auto& [k, v] : more) base.insert_or_assign(k, v);
    return base;
}

std::vector<fs::path> unreadableCopies(const fs::path& folder) {
    std::vector<fs::path> found;
    for (auto& entry : fs::directory_iterator(folder))
        if (entry.path().filename().string().rfind("com.apple.dock.plist.unreadable-", 0) == 0) found.push_back(entry.path());
    return found;
}

class PlistFileDockStoreTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    fs::path file = home / "config/com.apple.dock.plist";
    ManualClock clock{sampleMoment()};
    ScopedTimeZone utc{"UTC"};
};

} // namespace

TEST_F(PlistFileDockStoreTest, WritesKeepEveryOtherKeyAndUseTheBinaryFormat) {
    Dictionary before = withKeys(foreignKeys(), {{"persistent-apps", Value(Array{Value(appTile("a", 1))})},
                                                 {"persistent-others", Value(Array{Value(Dictionary{{"x", Value(1)}})})}});
    writeDictionary(file, before);
    PlistFileDockStore store(file);

    store.setPersistentApps({appTile("b", 2), appTile("c", 3)});
    store.setShowRecents(false);

    EXPECT_EQ(readFile(file).substr(0, 8), "bplist00");
    Dictionary after = readDictionary(file);
    Dictionary expected = withKeys(before, {{"persistent-apps", Value(Array{Value(appTile("b", 2)), Value(appTile("c", 3))})},
                                            {"show-recents", Value(false)}});
    EXPECT_EQ(after, expected);
    EXPECT_EQ(store.persistentApps(), (std::vector<Dictionary>{appTile("b", 2), appTile("c", 3)}));
    EXPECT_EQ(store.showRecents(), false);
}

TEST_F(PlistFileDockStoreTest, ReadsSeeWhatAnotherProcessStoredAndWritesMergeOverIt) {
    writeDictionary(file, withKeys(foreignKeys(), {{"persistent-apps", Value(Array{Value(appTile("a", 1))})}}));
    PlistFileDockStore ours(file);
    EXPECT_EQ(ours.persistentApps().size(), 1u);

    // The Dock rewrites its domain: new apps, a changed size, one key dropped.
    Dictionary docks = foreignKeys();
    docks["tilesize"] = Value(64.0);
    docks.erase("orientation");
    docks["persistent-apps"] = Value(Array{Value(appTile("a", 1)), Value(appTile("z", 9))});
    writeDictionary(file, docks);
    EXPECT_EQ(ours.persistentApps().size(), 2u);

    // Another change by the Dock between our last read and our write.
    docks["persistent-others"] = Value(Array{Value("Downloads")});
    writeDictionary(file, docks);
    ours.setShowRecents(false);

    Dictionary expected = docks;
    expected["show-recents"] = Value(false);
    EXPECT_EQ(readDictionary(file), expected); // nothing resurrected, nothing lost

    // A rewrite in place of the same size is seen too.
    std::string bytes = plist::toBinary(Value(Dictionary{{"show-recents", Value(true)}}));
    std::string flipped = plist::toBinary(Value(Dictionary{{"show-recents", Value(false)}}));
    ASSERT_EQ(bytes.size(), flipped.size());
    writeFileAtomically(file, bytes);
    EXPECT_EQ(ours.showRecents(), true);
    {
        std::ofstream inPlace(file, std::ios::binary | std::ios::in | std::ios::out);
        inPlace.write(flipped.data(), static_cast<std::streamsize>(flipped.size()));
    }
    EXPECT_EQ(ours.showRecents(), false);
}

TEST_F(PlistFileDockStoreTest, MissingDomainAndWrongTypesReadAsDefaults) {
    PlistFileDockStore store(file);
    EXPECT_TRUE(store.persistentApps().empty());
    EXPECT_EQ(store.showRecents(), std::nullopt);
    EXPECT_EQ(store.snapshot(), (Dictionary{{"show-recents", Value(true)}}));
    EXPECT_FALSE(fs::exists(file.parent_path())) << "reading creates nothing";

    writeDictionary(file, {{"persistent-apps", Value(Array{Value(appTile("a", 1)), Value("not a tile")})},
                           {"show-recents", Value("yes")}});
    EXPECT_TRUE(store.persistentApps().empty());
    EXPECT_EQ(store.showRecents(), std::nullopt);
    Dictionary snapshot = store.snapshot();
    EXPECT_EQ(snapshot.at("show-recents"), Value(true));
    // The snapshot carries the array exactly as stored, even with a bad element.
    EXPECT_EQ(snapshot.at("persistent-apps").array()->size(), 2u);

    writeDictionary(file, {{"persistent-apps", Value(Dictionary{})}});
    EXPECT_TRUE(store.persistentApps().empty());
}

TEST_F(PlistFileDockStoreTest, SnapshotAndRestore) {
    Array others{Value(Dictionary{{"tile-data", Value(Dictionary{{"file-label", Value("Downloads")}})}})};
    writeDictionary(file, withKeys(foreignKeys(), {{"persistent-others", Value(others)}, {"show-recents", Value(false)}}));
    PlistFileDockStore store(file);

    // No "persistent-apps": the snapshot has none, and restoring it removes the key.
    Dictionary snapshot = store.snapshot();
    EXPECT_EQ(snapshot, (Dictionary{{"persistent-others", Value(others)}, {"show-recents", Value(false)}}));
    store.setPersistentApps({appTile("a", 1)});
    writeDictionary(file, withKeys(readDictionary(file), {{"persistent-others", Value(Array{})}}));
    store.restore(snapshot);
    Dictionary restored = readDictionary(file);
    EXPECT_EQ(restored.count("persistent-apps"), 0u);
    EXPECT_EQ(restored.at("persistent-others"), Value(others));
    EXPECT_EQ(restored, withKeys(foreignKeys(), snapshot));

    // A snapshot without "show-recents" leaves the current value alone.
    store.setShowRecents(true);
    store.restore({{"persistent-apps", Value(Array{Value(appTile("b", 2))})}});
    EXPECT_EQ(store.showRecents(), true);
    EXPECT_EQ(store.persistentApps(), std::vector<Dictionary>{appTile("b", 2)});
    EXPECT_EQ(readDictionary(file).count("persistent-others"), 0u);
}

TEST_F(PlistFileDockStoreTest, UnreadableDomainIsEmptyAndKeptBesideBeforeTheFirstWrite) {
    Dictionary good = withKeys(foreignKeys(), {{"persistent-apps", Value(Array{Value(appTile("a", 1))})}});
    std::string bytes = plist::toBinary(Value(good));
    const std::vector<std::string> unreadable = {
        bytes.substr(0, bytes.size() - 9),                    // truncated
        "this is not a property list",                        // garbage
        plist::toXML(Value(Array{Value(appTile("a", 1))})),   // top level not a dictionary
    };
    for (const auto& content : unreadable) {
        SCOPED_TRACE(content.substr(0, 20));
        fs::remove_all(file.parent_path());
        writeFileAtomically(file, content);
        PlistFileDockStore store(file, clock);

        EXPECT_TRUE(store.persistentApps().empty());
        EXPECT_TRUE(unreadableCopies(file.parent_path()).empty()) << "reading alone keeps the file as it is";
        // A snapshot, taken only before a write, keeps the copy at once and names it, so
        // that it is never taken for an empty Dock.
        const fs::path kept = file.parent_path() / "com.apple.dock.plist.unreadable-20240305-070809-045";
        EXPECT_EQ(store.snapshot(), (Dictionary{{"show-recents", Value(true)},
                                                {DockPreferencesStore::unreadableFileKey, Value(kept.string())}}));
        EXPECT_EQ(readFile(file), content);

        store.setPersistentApps({appTile("b", 2)});
        auto copies = unreadableCopies(file.parent_path());
        ASSERT_EQ(copies.size(), 1u) << "the write keeps no second copy";
        EXPECT_EQ(copies[0].filename(), "com.apple.dock.plist.unreadable-20240305-070809-045");
        EXPECT_EQ(readFile(copies[0]), content);
        EXPECT_EQ(readDictionary(file), (Dictionary{{"persistent-apps", Value(Array{Value(appTile("b", 2))})}}));

        // Once the domain is readable again nothing more is copied.
        store.setShowRecents(false);
        EXPECT_EQ(unreadableCopies(file.parent_path()).size(), 1u);
    }
}

TEST_F(PlistFileDockStoreTest, AnEarlierCopyOfTheSameMomentIsNeverOverwritten) {
    writeFileAtomically(file, "first broken content");
    PlistFileDockStore store(file, clock);
    store.setShowRecents(true);
    writeFileAtomically(file, "second broken content");
    store.setShowRecents(false);
    auto copies = unreadableCopies(file.parent_path());
    ASSERT_EQ(copies.size(), 2u);
    std::set<std::string> contents{readFile(copies[0]), readFile(copies[1])};
    EXPECT_EQ(contents, (std::set<std::string>{"first broken content", "second broken content"}));
}

TEST_F(PlistFileDockStoreTest, FailedWritesThrowAndAreNotReportedLaterAsStored) {
    // The domain's folder cannot be created: a regular file stands in its place.
    writeFileAtomically(home / "blocked", "a file");
    PlistFileDockStore blocked(home / "blocked/com.apple.dock.plist");
    try {
        blocked.setPersistentApps({appTile("a", 1)});
        FAIL() << "the write should fail";
    } catch (const DockPreferencesError& error) {
        EXPECT_EQ(error.code(), DockPreferencesError::Code::synchronizeFailed);
    }
    EXPECT_TRUE(blocked.persistentApps().empty());
    EXPECT_THROW(blocked.setShowRecents(false), DockPreferencesError);
    EXPECT_EQ(blocked.showRecents(), std::nullopt);
    EXPECT_THROW(blocked.restore({{"show-recents", Value(false)}}), DockPreferencesError);
    EXPECT_EQ(readFile(home / "blocked"), "a file");

    // A domain path that cannot be read (a folder with content) is never written over.
    fs::create_directories(file);
    writeFileAtomically(file / "inside", "kept");
    PlistFileDockStore unreadable(file);
    EXPECT_TRUE(unreadable.persistentApps().empty());
    EXPECT_THROW(unreadable.setShowRecents(false), DockPreferencesError);
    EXPECT_EQ(readFile(file / "inside"), "kept");
}

TEST_F(PlistFileDockStoreTest, DefaultLocationFollowsXDGConfigHome) {
    EXPECT_EQ(PlistFileDockStore::defaultFile("/x/config", "/home/u"), fs::path("/x/config/com.apple.dock.plist"));
    EXPECT_EQ(PlistFileDockStore::defaultFile(std::nullopt, "/home/u"), fs::path("/home/u/.config/com.apple.dock.plist"));
    // A relative XDG_CONFIG_HOME is invalid and ignored.
    EXPECT_EQ(PlistFileDockStore::defaultFile("rel", "/home/u"), fs::path("/home/u/.config/com.apple.dock.plist"));
    EXPECT_THROW(PlistFileDockStore::defaultFile(std::nullopt, std::nullopt), std::runtime_error);
    EXPECT_THROW(PlistFileDockStore::defaultFile("", ""), std::runtime_error);
}

namespace {

/// `bytes` with the one occurrence of `from` replaced by `to` of the same length.
std::string patched(std::string bytes, std::string_view from, std::string_view to) {
    auto at = bytes.find(from);
    if (at == std::string::npos || bytes.find(from, at + 1) != std::string::npos || from.size() != to.size())
        throw std::logic_error("no single place to patch");
    return bytes.replace(at, from.size(), to);
}

/// The binary form of a date value: type byte 0x33 and a big-endian double.
std::string dateBytes(double seconds) {
    std::uint64_t bits = 0;
    std::memcpy(&bits, &seconds, sizeof bits);
    std::string out(1, '\x33');
    for (int shift = 56; shift >= 0; shift -= 8) out += static_cast<char>(bits >> shift);
    return out;
}

} // namespace

TEST_F(PlistFileDockStoreTest, OtherKeysOfEveryKindAreWrittenBackUnchangedOrTheWriteIsRefused) {
    // About 68 years from 2001 is where the library's 32-bit date accessors end.
    struct Case {
        const char* name;
        Value value; // what the file holds under "other"
        std::string patchFrom, patchTo; // for what no value can express: bytes swapped in the file
        bool writable;
    };
    const Case cases[] = {
        {"UID", Value(plist::Uid{7}), {}, {}, true},
        {"date in 2100", Value(plist::Date{3137229296.0}), {}, {}, true},
        {"date in 1500", Value(plist::Date{-15778800000.0}), {}, {}, true},
        {"date in 2100 and a half second", Value(plist::Date{1.5}), dateBytes(1.5), dateBytes(3137229296.5), false},
        {"string holding U+0000", Value("ab\x01" "cd"), "ab\x01" "cd", std::string("ab\0cd", 5), false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(file.parent_path());
        std::string bytes = plist::toBinary(Value(Dictionary{{"other", c.value}, {"show-recents", Value(true)}}));
        if (!c.patchFrom.empty()) bytes = patched(bytes, c.patchFrom, c.patchTo);
        writeFileAtomically(file, bytes);
        PlistFileDockStore store(file, clock);
        EXPECT_EQ(store.showRecents(), true) << "readable either way";

        if (c.writable) {
            store.setShowRecents(false);
            EXPECT_EQ(readDictionary(file), (Dictionary{{"other", c.value}, {"show-recents", Value(false)}}));
        } else {
            try {
                store.setShowRecents(false);
                ADD_FAILURE() << "the write should be refused";
            } catch (const DockPreferencesError& error) {
                EXPECT_NE(std::string(error.what()).find(file.string()), std::string::npos) << error.what();
            }
            EXPECT_EQ(readFile(file), bytes) << "left exactly as it was";
            EXPECT_EQ(store.showRecents(), true) << "the refused change is not shown as stored";
        }
    }
}
