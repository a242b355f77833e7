#include "core/hotkey/JSONFileHotKeyStorage.h"

#include "core/support/AtomicFile.h"
#include "core/launch/JSONFileOnboardingStorage.h"
#include "tests/core/support/InChild.h"
#include "tests/core/support/TempFolder.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <fstream>

using namespace kestrine;
namespace fs = std::filesystem;
using Modifiers = HotKeySpec::Modifiers;

namespace {

class JSONFileHotKeyStorageTest : public ::testing::Test {
protected:
    void put(const std::string& bytes) { std::ofstream(file(), std::ios::binary) << bytes; }
    fs::path file() const { return base / "hotkey.json"; }

    kestrine::testing::TempFolder temp;
    const fs::path& base = temp.path();
};

TEST_F(JSONFileHotKeyStorageTest, NoFileOrMissingOrNullMembersTakeTheDefaultsValueAlone) {
    JSONFileHotKeyStorage missing(base / "missing" / "hotkey.json");
    EXPECT_EQ(missing.load(), HotKeySpec::defaultSpec());
    EXPECT_FALSE(fs::exists(base / "missing"));

    JSONFileHotKeyStorage storage(file());
    struct Case {
        const char* text;
        HotKeySpec expected;
    };
    for (const auto& [text, expected] : std::initializer_list<Case>{
             {"{}", HotKeySpec(2, Modifiers(6))},
             {R"({"keyCode":0})", HotKeySpec(0, Modifiers(6))},
             {R"({"modifiers":9})", HotKeySpec(2, Modifiers(9))},
             {R"({"keyCode":null,"modifiers":1})", HotKeySpec(2, Modifiers(1))},
             {R"({"keyCode":49,"modifiers":null})", HotKeySpec(49, Modifiers(6))},
             {R"({"keyCode":122,"modifiers":10,"label":"F1","extra":[1,{}]})", HotKeySpec(122, Modifiers(10))},
             {R"( {"modifiers":22,"keyCode":2} )", HotKeySpec(2, Modifiers(0x16))},
             {R"({"keyCode":2.0,"modifiers":6e0})", HotKeySpec(2, Modifiers(6))},
         }) {
        put(text);
        EXPECT_EQ(storage.load(), expected) << text;
    }
}

TEST_F(JSONFileHotKeyStorageTest, UnreadableOrUnusableFilesGiveTheDefaultAndStayAsTheyAre) {
    JSONFileHotKeyStorage storage(file());
    for (std::string bad : {
             std::string(""), std::string("garbage"), std::string("{\"keyCode\":3"), std::string("[3, 6]"),
             std::string("null"), std::string("\"keyCode\""), std::string("{\"keyCode\":3}{}"),
             std::string("{\"keyCode\":3,\"modifiers\":6,}"),
             std::string("{\"keyCode\":2.5,\"modifiers\":6}"), std::string("{\"keyCode\":3,\"modifiers\":6.5}"),
             std::string("{\"keyCode\":-1,\"modifiers\":6}"), std::string("{\"keyCode\":3,\"modifiers\":-6}"),
             std::string("{\"keyCode\":3,\"modifiers\":256}"), std::string("{\"keyCode\":4294967296,\"modifiers\":6}"),
             std::string("{\"keyCode\":1e300,\"modifiers\":6}"),
             std::string("{\"keyCode\":99999999999999999999999,\"modifiers\":6}"),
             std::string("{\"keyCode\":\"3\",\"modifiers\":6}"), std::string("{\"keyCode\":3,\"modifiers\":true}"),
             std::string("{\"keyCode\":[3],\"modifiers\":6}"), std::string("{\"keyCode\":3,\"modifiers\":{}}"),
             std::string("{\"keyCode\":\"\xff\xfe\",\"modifiers\":6}"), std::string("\xef\xbb\xbf\x00\x01", 5),
             // Well formed, but not a usable shortcut.
             std::string("{\"keyCode\":3,\"modifiers\":8}"), std::string("{\"keyCode\":52,\"modifiers\":1}"),
             std::string("{\"keyCode\":4294967295,\"modifiers\":6}"), std::string("{\"keyCode\":3,\"modifiers\":0}"),
         }) {
        put(bad);
        EXPECT_EQ(storage.load(), HotKeySpec::defaultSpec()) << bad;
        EXPECT_EQ(readFile(file()), bad) << "the bad file is left in place";
    }
}

TEST_F(JSONFileHotKeyStorageTest, DecodeKeepsTheWholeRangesAndOnlyThem) {
    auto decoded = JSONFileHotKeyStorage::decode(R"({"keyCode":4294967295,"modifiers":255})");
    ASSERT_TRUE(decoded);
    EXPECT_EQ(decoded->keyCode, 4294967295u);
    EXPECT_EQ(decoded->modifiers.rawValue, 255);
    EXPECT_FALSE(JSONFileHotKeyStorage::decode(R"({"keyCode":4294967296})"));
    EXPECT_FALSE(JSONFileHotKeyStorage::decode(R"({"modifiers":255.5})"));
    EXPECT_TRUE(JSONFileHotKeyStorage::decode(R"({"keyCode":-0})"));
    // Decoding does not judge the shortcut; loading does.
    EXPECT_EQ(JSONFileHotKeyStorage::decode(R"({"keyCode":52,"modifiers":0})"), HotKeySpec(52, Modifiers{}));
}

TEST_F(JSONFileHotKeyStorageTest, SaveWritesCompactJSONOverWhateverWasThere) {
    put("\x01garbage");
    JSONFileHotKeyStorage storage(file());
    storage.save(HotKeySpec::defaultSpec());
    EXPECT_EQ(readFile(storage.url), R"({"keyCode":2,"modifiers":6})");

    for (HotKeySpec spec : {HotKeySpec(49, Modifiers(9)), HotKeySpec(2, Modifiers(0x16)),
                            HotKeySpec(122, Modifiers(255))}) {
        storage.save(spec);
        EXPECT_EQ(storage.load(), spec);
    }
    // Saved as given, even when not usable; loading then falls back to the default.
    storage.save(HotKeySpec(52, Modifiers::command));
    EXPECT_EQ(readFile(storage.url), R"({"keyCode":52,"modifiers":1})");
    EXPECT_EQ(storage.load(), HotKeySpec::defaultSpec());
}

TEST_F(JSONFileHotKeyStorageTest, SaveReportsFailuresAndWritesNothing) {
    std::ofstream(base / "blocker") << "a file where a folder should be";
    JSONFileHotKeyStorage storage(base / "blocker" / "hotkey.json");
    EXPECT_THROW(storage.save(HotKeySpec::defaultSpec()), fs::filesystem_error);
    EXPECT_EQ(readFile(base / "blocker"), "a file where a folder should be");

    fs::create_directory(file()); // the file's place is taken by a folder
    JSONFileHotKeyStorage occupied(file());
    EXPECT_THROW(occupied.save(HotKeySpec::defaultSpec()), fs::filesystem_error);
    EXPECT_EQ(occupied.load(), HotKeySpec::defaultSpec());
    EXPECT_TRUE(fs::is_directory(file()));
}

// The shortcut and onboarding files share the reading helper: a FIFO in their place gives
// their defaults at once instead of waiting for a writer.
TEST_F(JSONFileHotKeyStorageTest, AFIFOInPlaceGivesTheDefaultsWithoutBlocking) {
    ASSERT_EQ(::mkfifo(file().c_str(), 0600), 0);
    auto outcome = kestrine::testing::runInChild([&] {
        if (JSONFileHotKeyStorage(file()).load() != HotKeySpec::defaultSpec()) ::_exit(2);
        if (JSONFileOnboardingStorage(file()).hasSeenOnboarding()) ::_exit(3);
    });
    EXPECT_EQ(outcome, kestrine::testing::ChildOutcome::returned);
}

} // namespace
