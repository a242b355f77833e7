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

namespace {

struct FileShape {
    std::filesystem::file_type type;
    std::filesystem::perms mode;
};

FileShape shapeOf(const std::filesystem::path& path) {
    auto status = std::filesystem::symlink_status(path);
    return {status.type(), status.permissions()};
}

} // namespace

TEST(AtomicFile, WritesThroughSymbolicLinksAndKeepsTheReplacedFilesPermissions) {
    namespace fs = std::filesystem;
    using fs::perms;
    struct Case {
        const char* name;
        const char* link;   // what the link at "settings/state.json" holds; empty: no link
        const char* target; // where the bytes must land, relative to the folder
        perms mode;         // the target's mode before the write; none: it does not exist yet
        std::size_t inDotfiles; // files in "dotfiles" afterwards
    };
    const Case cases[] = {
        {"plain private file", "", "settings/state.json", perms::owner_read | perms::owner_write, 0},
        {"plain shared file", "", "settings/state.json", perms(0664), 0},
        {"absolute link", "@dotfiles/state.json", "dotfiles/state.json", perms(0640), 1},
        {"relative link", "../dotfiles/state.json", "dotfiles/state.json", perms(0600), 1},
        {"chain of links", "../dotfiles/hop.json", "dotfiles/real.json", perms(0604), 2},
        {"dangling link", "../dotfiles/new.json", "dotfiles/new.json", perms::none, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const fs::path file = folder / "settings/state.json", target = folder / c.target;
        fs::create_directories(folder / "settings");
        fs::create_directories(folder / "dotfiles");
        if (c.mode != perms::none) {
            writeFileAtomically(target, "old");
            fs::permissions(target, c.mode);
        }
        std::string link = c.link;
        if (!link.empty() && link.front() == '@') link = (folder.path() / link.substr(1)).string();
        if (!link.empty()) fs::create_symlink(link, file);
        if (std::string(c.name) == "chain of links") fs::create_symlink("real.json", folder / "dotfiles/hop.json");

        writeFileAtomically(file, "new");

        EXPECT_EQ(readFile(target), "new");
        EXPECT_EQ(readFile(file), "new");
        if (!link.empty()) {
            EXPECT_EQ(shapeOf(file).type, fs::file_type::symlink) << "the link stays a link";
        }
        if (c.mode != perms::none) {
            EXPECT_EQ(shapeOf(target).mode, c.mode);
        }
        EXPECT_EQ(entries(folder / "settings"), 1u) << "nothing written beside the link";
        EXPECT_EQ(entries(folder / "dotfiles"), c.inDotfiles) << "no temporary file left";
    }
}

TEST(AtomicFile, LoopOfLinksIsRefused) {
    TempFolder folder;
    std::filesystem::create_symlink("b", folder / "a");
    std::filesystem::create_symlink("a", folder / "b");
    EXPECT_THROW(writeFileAtomically(folder / "a", "x"), std::filesystem::filesystem_error);
}
