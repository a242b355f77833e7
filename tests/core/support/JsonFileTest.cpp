#include "core/support/JsonFile.h"

#include "core/support/AtomicFile.h"
#include "tests/core/support/InChild.h"
#include "tests/core/support/TempFolder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;

TEST(JsonFile, RefusesWhatIsNotASmallRegularFileWithoutBlocking) {
    auto sized = [](std::uintmax_t size) {
        return [size](const fs::path& p) { // sparse: no disk is spent
            writeFileAtomically(p, "{}");
            fs::resize_file(p, size);
        };
    };
    const struct Row {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::size_t limit;
        ChildOutcome expected;
    } rows[] = {
        {"missing", [](const fs::path&) {}, maxJSONFileBytes, ChildOutcome::returned},
        {"regular", sized(2), maxJSONFileBytes, ChildOutcome::returned},
        {"FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, maxJSONFileBytes, ChildOutcome::threw},
        {"link to a device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, maxJSONFileBytes, ChildOutcome::threw},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }, maxJSONFileBytes, ChildOutcome::threw},
        {"absurdly large", sized(maxJSONFileBytes + 1), maxJSONFileBytes, ChildOutcome::threw},
        {"at the limit", sized(1024), 1024, ChildOutcome::returned},
        {"one past the limit", sized(1025), 1024, ChildOutcome::threw},
    };
    for (const auto& r : rows) {
        SCOPED_TRACE(r.name);
        TempFolder folder;
        const fs::path file = folder / "hotkey.json";
        r.make(file);
        EXPECT_EQ(runInChild([&] { readJSONFileIfExists(file, r.limit); }), r.expected);
    }
}
