#include "core/support/JsonFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "core/support/AtomicFile.h"
#include "tests/core/support/InChild.h"
#include "tests/core/support/TempFolder.h"

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;

TEST(JsonFile, RefusesWhatIsNotASmallRegularFileWithoutBlocking) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        ChildOutcome expected;
    };
    const Case cases[] = {
        {"missing", [](const fs::path&) {}, ChildOutcome::returned},
        {"regular", [](const fs::path& p) { writeFileAtomically(p, "{}"); }, ChildOutcome::returned},
        {"FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, ChildOutcome::threw},
        {"link to a device", [](const fs::path& p) { fs::create_symlink("/dev/zero", p); }, ChildOutcome::threw},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }, ChildOutcome::threw},
        {"absurdly large",
         [](const fs::path& p) {
             writeFileAtomically(p, "{}");
             fs::resize_file(p, maxJSONFileBytes + 1); // sparse: no disk is spent
         },
         ChildOutcome::threw},
        {"at the limit",
         [](const fs::path& p) {
             writeFileAtomically(p, "{}");
             fs::resize_file(p, 1024);
         },
         ChildOutcome::returned},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TempFolder folder;
        const fs::path file = folder / "hotkey.json";
        c.make(file);
        EXPECT_EQ(runInChild([&] { readJSONFileIfExists(file, std::string(c.name) == "at the limit" ? 1024 : maxJSONFileBytes); }),
                  c.expected);
    }
}
