#include "core/support/AtomicFile.h"

#include "tests/core/support/TempFolder.h"
#include "tests/core/support/Unprivileged.h"

#include <gtest/gtest.h>

using namespace kestrine;
using kestrine::testing::TempFolder;
namespace fs = std::filesystem;

namespace {
std::size_t entries(const fs::path& folder) {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), {}));
}
} // namespace

TEST(AtomicFile, WritesReplacesAndReadsBackExactBytesCreatingMissingFolders) {
    TempFolder folder;
    const auto file = folder / "f.bin";
    for (const std::string& bytes : {std::string("a\0b\xFF\n", 5), std::string("shorter"), std::string()}) {
        writeFileAtomically(file, bytes);
        EXPECT_EQ(readFile(file), bytes);
        EXPECT_EQ(readFileIfExists(file), bytes);
    }
    EXPECT_EQ(entries(folder.path()), 1u); // no temporary file left behind
    writeFileAtomically(folder / "a/b/state.json", "{}");
    EXPECT_EQ(readFile(folder / "a/b/state.json"), "{}");
    EXPECT_FALSE(readFileIfExists(folder / "absent"));
}

TEST(AtomicFile, FailuresThrowKeepWhatWasThereAndLeaveNoTemporaryFile) {
    TempFolder folder;
    EXPECT_THROW(readFile(folder / "absent"), fs::filesystem_error);
    EXPECT_THROW(readFileIfExists(folder.path()), fs::filesystem_error); // a folder
    // A folder with content where the file should go: the final replace fails, even as root.
    writeFileAtomically(folder / "occupied/inside", "keep");
    EXPECT_THROW(writeFileAtomically(folder / "occupied", "new"), fs::filesystem_error);
    EXPECT_EQ(readFile(folder / "occupied/inside"), "keep");
    EXPECT_EQ(entries(folder.path()), 1u);
    // A parent that is a file cannot be created as a folder.
    EXPECT_THROW(writeFileAtomically(folder / "occupied/inside/child", "x"), fs::filesystem_error);
    EXPECT_EQ(readFile(folder / "occupied/inside"), "keep");
    // A read-only folder keeps the old file.
    kestrine::testing::asOrdinaryUser(folder.path(), [&] {
        fs::permissions(folder / "occupied", fs::perms::owner_write, fs::perm_options::remove);
        EXPECT_THROW(writeFileAtomically(folder / "occupied/inside", "new"), fs::filesystem_error);
        fs::permissions(folder / "occupied", fs::perms::owner_write, fs::perm_options::add);
        EXPECT_EQ(readFile(folder / "occupied/inside"), "keep");
        EXPECT_EQ(entries(folder / "occupied"), 1u);
    });
}

TEST(AtomicFile, WritesThroughSymbolicLinksAndKeepsTheReplacedFilesPermissions) {
    struct Row {
        const char* link;       // the link at "settings/state.json"; empty: a plain file
        const char* target;     // where the bytes must land
        fs::perms mode;         // the target's mode before; none: it does not exist yet
        std::size_t inDotfiles; // files in "dotfiles" afterwards (no temporary one)
    };
    const Row rows[] = {
        {"", "settings/state.json", fs::perms(0600), 0},
        {"../dotfiles/state.json", "dotfiles/state.json", fs::perms(0640), 1},
        {"../dotfiles/hop.json", "dotfiles/real.json", fs::perms(0604), 2}, // hop.json links on
        {"../dotfiles/new.json", "dotfiles/new.json", fs::perms::none, 1},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.target);
        TempFolder folder;
        const fs::path file = folder / "settings/state.json", target = folder / r.target;
        fs::create_directories(folder / "settings");
        fs::create_directories(folder / "dotfiles");
        if (r.mode != fs::perms::none) {
            writeFileAtomically(target, "old");
            fs::permissions(target, r.mode);
        }
        if (*r.link) fs::create_symlink(r.link, file);
        if (target.filename() == "real.json") fs::create_symlink("real.json", folder / "dotfiles/hop.json");
        writeFileAtomically(file, "new");
        EXPECT_EQ(readFile(target), "new");
        EXPECT_EQ(fs::is_symlink(file), *r.link != 0) << "a link stays a link";
        if (r.mode != fs::perms::none) {
            EXPECT_EQ(fs::status(target).permissions(), r.mode);
        }
        EXPECT_EQ(entries(folder / "settings"), 1u);
        EXPECT_EQ(entries(folder / "dotfiles"), r.inDotfiles);
    }
}
