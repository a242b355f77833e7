#include "core/hotkey/HotKeySpec.h"
#include "core/hotkey/JSONFileHotKeyStorage.h"
#include "core/hotkey/LinuxKeyNames.h"
#include "core/launch/JSONFileOnboardingStorage.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"
#include "tests/core/support/Unprivileged.h"


#include <gtest/gtest.h>

#include <unordered_set>

using namespace kestrine;
using namespace kestrine::testing;
namespace fs = std::filesystem;
using M = HotKeySpec::Modifiers;
using V = HotKeySpec::Validation;

TEST(HotKeySpecTest, ModifiersBehaveAsABitSetThatKeepsUnknownBitsAndTheSpecComparesThemAll) {
    M built = M::required - M::command;
    EXPECT_TRUE(built == (M::control | M::option) && (built & M::shift).rawValue == 0);
    EXPECT_TRUE(built.contains(M::option) && built.intersects(M::required) && !built.contains(M::required));
    built.insert(M(std::uint8_t{0x80}));
    built.remove(M::control | M::option);
    EXPECT_EQ(built.rawValue, 0x80) << "bits outside the members are kept";
    std::unordered_set<HotKeySpec> specs{HotKeySpec::defaultSpec(), {2, M(std::uint8_t{0x16})}, {2, M(6)}, {6, M(2)}};
    EXPECT_EQ(std::pair(specs.size(), specs.count(HotKeySpec(2, M{M::option, M::control}))), std::pair(3ul, 1ul));
}

TEST(HotKeySpecTest, ValidationTestsTheKeyBeforeTheModifiersAndDisplayFollowsAFixedModifierOrder) {
    constexpr auto badKey = V::unsupportedKey, noModifier = V::missingModifier, valid = V::valid;
    // Key 0xFFFFFFFF is beyond the last named key; the extra bit of 0x16 shows nothing.
    const std::tuple<HotKeySpec, V, std::string> rows[] = {
        {{52, M{}}, badKey, "?"}, {{52, M::command}, badKey, "\u2318?"}, {{10, M::required}, badKey, "\u2303\u2325\u2318?"},
        {{0xFFFFFFFFu, M::command}, badKey, "\u2318?"}, {{2, M{}}, noModifier, "D"}, {{2, M::shift}, noModifier, "\u21E7D"},
        {{49, M(std::uint8_t{0xF0 & ~8})}, noModifier, "Space"}, {{49, M::command}, valid, "\u2318Space"},
        {{49, M::control | M::shift}, valid, "\u2303\u21E7Space"}, {{2, M(std::uint8_t{0x16})}, valid, "\u2303\u2325D"},
        {{0, M{M::command, M::shift, M::option, M::control}}, valid, "\u2303\u2325\u21E7\u2318A"}};
    for (const auto& [spec, expected, shown] : rows)
        EXPECT_EQ(std::pair(spec.validation(), spec.displayString()), std::pair(expected, shown)) << spec.keyCode;
    EXPECT_EQ(HotKeySpec::defaultSpec().displayParts(), (std::vector<std::string>{"\u2303", "\u2325", "D"}));
}

TEST(LinuxKeyNames, ShortcutsReadAsLinuxDesktopsWriteThem) {
    // Modifiers always in one order, whatever order they are held in.
    const std::tuple<HotKeySpec, const char*, const char*> rows[] = {
        {HotKeySpec::defaultSpec(), "Ctrl+Alt+D", "<Control><Alt>d"},
        {{0, M{M::command, M::shift, M::option, M::control}}, "Ctrl+Alt+Shift+Super+A", "<Control><Alt><Shift><Super>a"},
        {{36, M::command}, "Super+Return", "<Super>Return"}, {{51, M::control}, "Ctrl+Backspace", "<Control>BackSpace"},
        {{116, M::option}, "Alt+Page Up", "<Alt>Page_Up"}, {{123, M::control}, "Ctrl+Left", "<Control>Left"},
        {{49, M::control}, "Ctrl+Space", "<Control>space"}, {{27, M::control}, "Ctrl+-", "<Control>minus"},
        {{122, M::control}, "Ctrl+F1", "<Control>F1"}, {{18, M::option}, "Alt+1", "<Alt>1"},
        {{200, M::control}, "Ctrl+?", "<Control>"}};
    for (const auto& [spec, shown, accelerator] : rows)
        EXPECT_EQ(LinuxKeyNames::displayString(spec) + " " + LinuxKeyNames::accelerator(spec), std::string(shown) + " " + accelerator);
}

struct JSONFileHotKeyStorageTest : ::testing::Test {
    TempFolder temp;
    const fs::path file = temp / "hotkey.json";
    JSONFileHotKeyStorage storage{file};
};

TEST_F(JSONFileHotKeyStorageTest, LoadTakesTheDefaultForWhatIsMissingOrNullAndForAnyUnusableFileLeavingItAlone) {
    const HotKeySpec fallback = HotKeySpec::defaultSpec();
    EXPECT_EQ(JSONFileHotKeyStorage(temp / "missing/hotkey.json").load(), fallback);
    EXPECT_FALSE(fs::exists(temp / "missing"));
    // Missing or null members take the default's. Unreadable files, numbers out of range, with a fraction or of the
    // wrong kind, and shortcuts that are well formed but not usable give the default; the decoder's ranges are its own.
    const std::pair<std::string, HotKeySpec> rows[] = {
        {"{}", {2, M(6)}}, {R"({"keyCode":0})", {0, M(6)}}, {R"({"modifiers":9})", {2, M(9)}},
        {R"({"keyCode":null,"modifiers":1})", {2, M(1)}}, {R"({"keyCode":49,"modifiers":null})", {49, M(6)}},
        {R"( {"modifiers":22,"keyCode":2} )", {2, M(0x16)}}, {R"({"keyCode":2.0,"modifiers":6e0})", {2, M(6)}},
        {R"({"keyCode":122,"modifiers":10,"label":"F1","extra":[1,{}]})", {122, M(10)}}, {"", fallback},
        {R"({"keyCode":3)", fallback}, {"[3, 6]", fallback},
        {R"("keyCode")", fallback}, {R"({"keyCode":3}{})", fallback}, {R"({"keyCode":3,"modifiers":6,})", fallback},
        {R"({"keyCode":3.5,"modifiers":6})", fallback}, {R"({"keyCode":-1,"modifiers":6})", fallback},
        {R"({"keyCode":3,"modifiers":-6})", fallback}, {R"({"keyCode":1e300,"modifiers":6})", fallback},
        {R"({"keyCode":"3","modifiers":6})", fallback}, {R"({"keyCode":3,"modifiers":true})", fallback},
        {R"({"keyCode":[3],"modifiers":6})", fallback}, {R"({"keyCode":3,"modifiers":{}})", fallback},
        {"{\"keyCode\":\"\xff\xfe\",\"modifiers\":6}", fallback}, {std::string("\xef\xbb\xbf\x00\x01", 5), fallback},
        {R"({"keyCode":52,"modifiers":1})", fallback}, {R"({"keyCode":3,"modifiers":0})", fallback}};
    for (const auto& [text, expected] : rows) {
        writeFileAtomically(file, text);
        EXPECT_EQ(std::pair(storage.load(), readFile(file)), std::pair(expected, text)) << "the file is left as it is";
    }
    // Like the onboarding file, read with the same helper: a FIFO in its place gives the default at once.
    const fs::path fifo = temp / "fifo.json";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    auto readBoth = [&] { return JSONFileHotKeyStorage(fifo).load() == fallback &&
                                 !JSONFileOnboardingStorage(fifo).hasSeenOnboarding(); };
    EXPECT_EQ(runInChild([&] { if (!readBoth()) throw 0; }), ChildOutcome::returned);
}

TEST_F(JSONFileHotKeyStorageTest, DecodeKeepsTheWholeRangesAndOnlyThemAndDoesNotJudgeTheShortcut) {
    const std::pair<const char*, std::optional<HotKeySpec>> rows[] = {
        {R"({"keyCode":4294967295,"modifiers":255})", HotKeySpec(4294967295u, M(std::uint8_t{255}))},
        {R"({"keyCode":52,"modifiers":0})", HotKeySpec(52, M{})}, {R"({"keyCode":-0})", HotKeySpec(0, M(6))},
        {R"({"keyCode":4294967296})", std::nullopt}, {R"({"modifiers":6.5})", std::nullopt}, {R"({"modifiers":256})", std::nullopt}};
    for (const auto& [text, expected] : rows) EXPECT_EQ(JSONFileHotKeyStorage::decode(text), expected) << text;
}

TEST_F(JSONFileHotKeyStorageTest, SaveWritesCompactJSONOrReportsTheFailureAndWritesNothing) {
    for (HotKeySpec spec : {HotKeySpec(49, M(9)), HotKeySpec(2, M(0x16)), HotKeySpec(122, M(255))})
        EXPECT_EQ((storage.save(spec), storage.load()), spec);
    // Saved as given, even when not usable; loading then falls back to the default.
    storage.save(HotKeySpec(52, M::command));
    EXPECT_THROW(JSONFileHotKeyStorage(file / "hotkey.json").save(HotKeySpec::defaultSpec()), fs::filesystem_error);
    EXPECT_EQ(readFile(file), R"({"keyCode":52,"modifiers":1})");
    EXPECT_EQ(storage.load(), HotKeySpec::defaultSpec());
}
