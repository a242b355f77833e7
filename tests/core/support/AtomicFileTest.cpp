#include "core/support/AtomicFile.h"

#include "tests/core/support/TempFolder.h"
#include "tests/core/support/Unprivileged.h"

#include <gtest/gtest.h>

using namespace kestrine;
using kestrine::testing::TempFolder;

namespace {
std::size_t entries(const std::filesystem::path& folder) {
    return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder), {}));
}
} // namespace

TEST(AtomicFile, WritesReplacesAndReadsBackExactBytesCreatingMissingFolders) {
    TempFolder folder;
    auto file = folder / "f.bin";
    std::string binary("a\0b\xFF\n", 5);
    writeFileAtomically(file, binary);
    EXPECT_EQ(readFile(file), binary);
    writeFileAtomically(file, "shorter");
    EXPECT_EQ(readFile(file), "shorter");
    writeFileAtomically(file, "");
    EXPECT_EQ(readFile(file), "");
    EXPECT_EQ(entries(folder.path()), 1u); // no temporary file left behind
    writeFileAtomically(folder.path() / "a" / "b" / "state.json", "{}");
    EXPECT_EQ(readFile(folder.path() / "a" / "b" / "state.json"), "{}");
}

TEST(AtomicFile, MissingFileIsNothingButOtherFailuresThrow) {
    TempFolder folder;
    EXPECT_FALSE(readFileIfExists(folder / "absent"));
    EXPECT_THROW(readFile(folder / "absent"), std::filesystem::filesystem_error);
    writeFileAtomically(folder / "present", "x");
    EXPECT_EQ(readFileIfExists(folder / "present"), "x");
    EXPECT_THROW(readFileIfExists(folder.path()), std::filesystem::filesystem_error); // a folder
}

TEST(AtomicFile, FailureKeepsWhatWasThereAndLeavesNoTemporaryFile) {
    TempFolder folder;
    // A folder with content where the file should go: the final replace fails, even as root.
    auto occupied = folder / "occupied";
    writeFileAtomically(occupied / "inside", "keep");
    EXPECT_THROW(writeFileAtomically(occupied, "new"), std::filesystem::filesystem_error);
    EXPECT_EQ(readFile(occupied / "inside"), "keep");
    EXPECT_EQ(entries(folder.path()), 1u);

    // A parent that is a file cannot be created as a folder.
    writeFileAtomically(folder / "plain", "plain");
    EXPECT_THROW(writeFileAtomically(folder / "plain" / "child", "x"), std::filesystem::filesystem_error);
    EXPECT_EQ(readFile(folder / "plain"), "plain");
}

TEST(AtomicFile, ReadOnlyFolderKeepsTheOldFile) {
    TempFolder folder;
    auto locked = folder / "locked";
    writeFileAtomically(locked / "f", "old");
    kestrine::testing::asOrdinaryUser(folder.path(), [&] {
        std::filesystem::permissions(locked, std::filesystem::perms::owner_write, std::filesystem::perm_options::remove);
        EXPECT_THROW(writeFileAtomically(locked / "f", "new"), std::filesystem::filesystem_error);
        std::filesystem::permissions(locked, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
        EXPECT_EQ(readFile(locked / "f"), "old");
        EXPECT_EQ(entries(locked), 1u);
    });
}

TEST(AtomicFile, WritesThroughSymbolicLinksAndKeepsTheReplacedFilesPermissions) {
    namespace fs = std::filesystem;
    struct Case {
        const char* link;       // the link at "settings/state.json"; empty: a plain file
        const char* target;     // where the bytes must land
        fs::perms mode;         // the target's mode before; none: it does not exist yet
        std::size_t inDotfiles; // files in "dotfiles" afterwards (no temporary one)
    };
    const Case cases[] = {
        {"", "settings/state.json", fs::perms(0600), 0},
        {"../dotfiles/state.json", "dotfiles/state.json", fs::perms(0640), 1},
        {"../dotfiles/hop.json", "dotfiles/real.json", fs::perms(0604), 2}, // hop.json links on
        {"../dotfiles/new.json", "dotfiles/new.json", fs::perms::none, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        TempFolder folder;
        const fs::path file = folder / "settings/state.json", target = folder / c.target;
        fs::create_directories(folder / "settings");
        fs::create_directories(folder / "dotfiles");
        if (c.mode != fs::perms::none) {
            writeFileAtomically(target, "old");
            fs::permissions(target, c.mode);
        }
        if (*c.link) fs::create_symlink(c.link, file);
        if (target.filename() == "real.json") fs::create_symlink("real.json", folder / "dotfiles/hop.json");

        writeFileAtomically(file, "new");

        EXPECT_EQ(readFile(target), "new");
        EXPECT_EQ(fs::is_symlink(file), *c.link != 0) << "a link stays a link";
        if (c.mode != fs::perms::none) {
            EXPECT_EQ(fs::status(target).permissions(), c.mode);
        }
        EXPECT_EQ(entries(folder / "settings"), 1u);
        EXPECT_EQ(entries(folder / "dotfiles"), c.inDotfiles);
    }
}
