#include "core/hotkey/JSONFileHotKeyStorage.h"

#include "core/launch/JSONFileOnboardingStorage.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/InChild.h"
#include "tests/core/support/TempFolder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

using namespace kestrine;
using namespace std::string_literals;
namespace fs = std::filesystem;
using Modifiers = HotKeySpec::Modifiers;

namespace {

struct JSONFileHotKeyStorageTest : ::testing::Test {
    kestrine::testing::TempFolder temp;
    const fs::path file = temp / "hotkey.json";
    JSONFileHotKeyStorage storage{file};
};

TEST_F(JSONFileHotKeyStorageTest, LoadTakesTheDefaultForWhatIsMissingOrNullAndForAnyUnusableFileLeavingItAlone) {
    EXPECT_EQ(JSONFileHotKeyStorage(temp / "missing/hotkey.json").load(), HotKeySpec::defaultSpec());
    EXPECT_FALSE(fs::exists(temp / "missing"));
    const std::pair<std::string, HotKeySpec> rows[] = {
        {"{}", HotKeySpec(2, Modifiers(6))}, {R"({"keyCode":0})", HotKeySpec(0, Modifiers(6))},
        {R"({"modifiers":9})", HotKeySpec(2, Modifiers(9))}, {R"({"keyCode":null,"modifiers":1})", HotKeySpec(2, Modifiers(1))},
        {R"({"keyCode":49,"modifiers":null})", HotKeySpec(49, Modifiers(6))}, {R"( {"modifiers":22,"keyCode":2} )", HotKeySpec(2, Modifiers(0x16))},
        {R"({"keyCode":122,"modifiers":10,"label":"F1","extra":[1,{}]})", HotKeySpec(122, Modifiers(10))},
        {R"({"keyCode":2.0,"modifiers":6e0})", HotKeySpec(2, Modifiers(6))}};
    // Unreadable; numbers out of range, with a fraction or of the wrong kind; or well formed but not usable.
    const std::string unusable[] = {
        "", R"({"keyCode":3)", "[3, 6]", R"("keyCode")", R"({"keyCode":3}{})", R"({"keyCode":3,"modifiers":6,})",
        R"({"keyCode":2.5,"modifiers":6})", R"({"keyCode":3,"modifiers":6.5})", R"({"keyCode":-1,"modifiers":6})",
        R"({"keyCode":3,"modifiers":-6})", R"({"keyCode":3,"modifiers":256})", R"({"keyCode":4294967296,"modifiers":6})",
        R"({"keyCode":1e300,"modifiers":6})", R"({"keyCode":"3","modifiers":6})", R"({"keyCode":3,"modifiers":true})",
        R"({"keyCode":[3],"modifiers":6})", R"({"keyCode":3,"modifiers":{}})", "{\"keyCode\":\"\xff\xfe\",\"modifiers\":6}", "\xef\xbb\xbf\x00\x01"s,
        R"({"keyCode":3,"modifiers":8})", R"({"keyCode":52,"modifiers":1})", R"({"keyCode":4294967295,"modifiers":6})",
        R"({"keyCode":3,"modifiers":0})"};
    for (const auto& [text, expected] : rows) {
        std::ofstream(file, std::ios::binary) << text;
        EXPECT_EQ(storage.load(), expected) << text;
    }
    for (const std::string& text : unusable) {
        std::ofstream(file, std::ios::binary) << text;
        EXPECT_EQ(storage.load(), HotKeySpec::defaultSpec()) << text;
        EXPECT_EQ(readFile(file), text) << "the file is left as it is";
    }
}

TEST_F(JSONFileHotKeyStorageTest, DecodeKeepsTheWholeRangesAndOnlyThemAndDoesNotJudgeTheShortcut) {
    EXPECT_EQ(JSONFileHotKeyStorage::decode(R"({"keyCode":4294967295,"modifiers":255})"),
              HotKeySpec(4294967295u, Modifiers(std::uint8_t{255})));
    EXPECT_FALSE(JSONFileHotKeyStorage::decode(R"({"keyCode":4294967296})"));
    EXPECT_FALSE(JSONFileHotKeyStorage::decode(R"({"modifiers":255.5})"));
    EXPECT_TRUE(JSONFileHotKeyStorage::decode(R"({"keyCode":-0})"));
    EXPECT_EQ(JSONFileHotKeyStorage::decode(R"({"keyCode":52,"modifiers":0})"), HotKeySpec(52, Modifiers{}));
}

TEST_F(JSONFileHotKeyStorageTest, SaveWritesCompactJSONOverWhateverWasThereOrReportsTheFailureAndWritesNothing) {
    std::ofstream(file) << "\x01garbage";
    storage.save(HotKeySpec::defaultSpec());
    EXPECT_EQ(readFile(file), R"({"keyCode":2,"modifiers":6})");
    for (HotKeySpec spec : {HotKeySpec(49, Modifiers(9)), HotKeySpec(2, Modifiers(0x16)), HotKeySpec(122, Modifiers(255))}) {
        storage.save(spec);
        EXPECT_EQ(storage.load(), spec);
    }
    // Saved as given, even when not usable; loading then falls back to the default.
    storage.save(HotKeySpec(52, Modifiers::command));
    EXPECT_THROW(JSONFileHotKeyStorage(file / "hotkey.json").save(HotKeySpec::defaultSpec()), fs::filesystem_error);
    EXPECT_EQ(readFile(file), R"({"keyCode":52,"modifiers":1})");
    EXPECT_EQ(storage.load(), HotKeySpec::defaultSpec());
    fs::remove(file);
    fs::create_directory(file); // the file's place is taken by a folder
    EXPECT_THROW(storage.save(HotKeySpec::defaultSpec()), fs::filesystem_error);
    EXPECT_EQ(storage.load(), HotKeySpec::defaultSpec());
    EXPECT_TRUE(fs::is_directory(file));
}

// The shortcut and onboarding files share the reading helper: a FIFO in their place gives
// their defaults at once instead of waiting for a writer.
TEST_F(JSONFileHotKeyStorageTest, AFIFOInPlaceGivesTheDefaultsWithoutBlocking) {
    ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
    EXPECT_EQ(kestrine::testing::runInChild([&] {
                  if (storage.load() != HotKeySpec::defaultSpec()) ::_exit(2);
                  if (JSONFileOnboardingStorage(file).hasSeenOnboarding()) ::_exit(3);
              }),
              kestrine::testing::ChildOutcome::returned);
}

} // namespace
