#include "core/system/FileDockBackupStore.h"

#include <gtest/gtest.h>

#include "DockFixtures.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using plist::Array;
using plist::Dictionary;
using plist::Value;

namespace {

Dictionary snapshotNamed(const std::string& name) {
    return {{"persistent-apps", Value(Array{Value(Dictionary{{"tile-data", Value(Dictionary{{"file-label", Value(name)}})}})})},
            {"persistent-others", Value(Array{})},
            {"show-recents", Value(true)}};
}

std::vector<std::string> names(const std::vector<fs::path>& paths) {
    std::vector<std::string> out;
    for (auto& p : paths) out.push_back(p.filename().string());
    return out;
}

class FileDockBackupStoreTest : public ::testing::Test {
protected:
    TempFolder support;
    fs::path folder = support / "Kestrine/Backups";
    ManualClock clock{sampleMoment()};

    FileDockBackupStore store(std::int64_t maxHistory = 20) {
        return FileDockBackupStore(folder, maxHistory, [this] { return clock(); });
    }
    /// Moves the clock on and saves; returns the name the backup should have.
    std::string save(FileDockBackupStore& backups, const std::string& name, std::chrono::milliseconds step = std::chrono::seconds(1)) {
        clock.now += step;
        backups.saveBackup(snapshotNamed(name));
        return "dock-" + localTimeStamp(clock.now) + ".plist";
    }
};

} // namespace

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

TEST_F(FileDockBackupStoreTest, FirstSaveCreatesTheFolderAndTheOriginalWhichLaterSavesNeverChange) {
    auto backups = store();
    EXPECT_EQ(backups.loadOriginal(), std::nullopt);
    EXPECT_THROW(backups.history(), fs::filesystem_error) << "a missing folder cannot be listed";

    const std::vector<std::string> written = {save(backups, "first"), save(backups, "second", std::chrono::milliseconds(1500)),
                                              save(backups, "third", std::chrono::milliseconds(1500))};
    const std::string original = readFile(folder / "original.plist");
    EXPECT_EQ(original, readFile(folder / written[0]));
    EXPECT_NE(original.find("<plist version=\"1.0\">"), std::string::npos) << "backups are XML property lists";
    EXPECT_EQ(backups.loadOriginal(), snapshotNamed("first"));
    EXPECT_EQ(backups.loadLatest(), snapshotNamed("third"));
    EXPECT_EQ(names(backups.history()), written);
}

TEST_F(FileDockBackupStoreTest, HistoryIsPrunedToMaxHistoryOldestFirstAndNoneIsKeptBelowOne) {
    auto backups = store(20);
    std::vector<std::string> written;
    for (int i = 0; i < 21; ++i) written.push_back(save(backups, "save " + std::to_string(i)));
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
        EXPECT_TRUE(backups.history().empty());
        EXPECT_EQ(backups.loadLatest(), std::nullopt);
        EXPECT_EQ(backups.loadOriginal(), snapshotNamed("save 0"));
    }
}

TEST_F(FileDockBackupStoreTest, FilesOfOtherNamesAreIgnoredAndNeverDeleted) {
    const std::vector<std::string> foreign = {"Dock-20000101-000000-000.plist", "dock-20000101-000000-000.PLIST",
                                              "dock-20000101-000000-000.plist.bak", "other.plist", "notes.txt",
                                              "DOCK-1.plist"};
    for (auto& name : foreign) writeFileAtomically(folder / name, "user file " + name);
    // Hidden entries count; this one sorts first and so is pruned first.
    writeFileAtomically(folder / "dock-.plist", "x");

    auto backups = store(0);
    backups.saveBackup(snapshotNamed("one"));
    EXPECT_TRUE(backups.history().empty());
    EXPECT_FALSE(fs::exists(folder / "dock-.plist"));
    for (auto& name : foreign) EXPECT_EQ(readFile(folder / name), "user file " + name) << name;
}

TEST_F(FileDockBackupStoreTest, OriginalThatIsNotADictionaryIsAbsentAndACorruptOneIsAnErrorAndKept) {
    auto backups = store();
    writeFileAtomically(folder / "original.plist", plist::toXML(Value(Array{Value(1)})));
    EXPECT_EQ(backups.loadOriginal(), std::nullopt);

    writeFileAtomically(folder / "original.plist", "<plist><dict><key>persistent-apps</key>");
    EXPECT_THROW(backups.loadOriginal(), plist::PlistError);
    backups.saveBackup(snapshotNamed("now"));
    EXPECT_EQ(readFile(folder / "original.plist"), "<plist><dict><key>persistent-apps</key>");
    EXPECT_EQ(backups.loadLatest(), snapshotNamed("now"));
}

TEST_F(FileDockBackupStoreTest, FailuresArePassedOnAndKeepWhatWasWritten) {
    // A folder that cannot be created: a regular file stands in the way.
    writeFileAtomically(support / "Kestrine", "not a folder");
    EXPECT_THROW(store().saveBackup(snapshotNamed("x")), fs::filesystem_error);
    EXPECT_EQ(readFile(support / "Kestrine"), "not a folder");
    fs::remove(support / "Kestrine");

    // The time-stamped file cannot be written (a folder with content holds its name):
    // the original written just before stays.
    const std::string blocked = "dock-" + localTimeStamp(clock.now) + ".plist";
    fs::create_directories(folder / blocked / "inside");
    auto backups = store();
    EXPECT_THROW(backups.saveBackup(snapshotNamed("first")), fs::filesystem_error);
    EXPECT_EQ(backups.loadOriginal(), snapshotNamed("first"));

    // A history entry that cannot be deleted is skipped while pruning.
    backups.maxHistory = 0;
    save(backups, "second");
    EXPECT_EQ(names(backups.history()), std::vector<std::string>{blocked});
}
