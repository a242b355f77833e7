#include "core/hotkey/HotKeySpec.h"
#include "core/hotkey/LinuxKeyNames.h"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace kestrine;
using Modifiers = HotKeySpec::Modifiers;
using Validation = HotKeySpec::Validation;

TEST(HotKeySpecTest, ModifiersBehaveAsABitSetThatKeepsUnknownBitsAndTheSpecComparesThemAll) {
    Modifiers built = Modifiers::required - Modifiers::command;
    EXPECT_EQ(built, Modifiers::control | Modifiers::option);
    EXPECT_EQ((built & Modifiers::shift).rawValue, 0);
    EXPECT_TRUE(built.contains(Modifiers::option) && built.intersects(Modifiers::required) && !built.contains(Modifiers::required));
    built.insert(Modifiers(std::uint8_t{0x80}));
    built.remove(Modifiers::control | Modifiers::option);
    EXPECT_EQ(built.rawValue, 0x80) << "bits outside the members are kept";
    const HotKeySpec extra(2, Modifiers(std::uint8_t{0x16}));
    std::unordered_set<HotKeySpec> specs{HotKeySpec::defaultSpec(), extra, HotKeySpec(2, Modifiers(6)), HotKeySpec(6, Modifiers(2))};
    EXPECT_EQ(specs.size(), 3u);
    EXPECT_EQ(specs.count(HotKeySpec(2, Modifiers{Modifiers::option, Modifiers::control})), 1u);
}

TEST(HotKeySpecTest, KeyNamesCoverExactlyTheSupportedKeys) {
    int named = 0;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code) named += HotKeySpec::keyName(code).has_value();
    EXPECT_EQ(named, 82);
    // Key 10 (ISO section), 52, the modifier keys, the keypad and unlisted function-row codes.
    for (std::uint32_t code : {10u, 52u, 54u, 59u, 63u, 65u, 71u, 76u, 82u, 92u, 102u, 110u, 127u, 0x10002u, 0xFFFFFFFFu})
        EXPECT_FALSE(HotKeySpec::keyName(code)) << code;
    // A sample: letters, digits (whose codes are out of order), punctuation, symbols and function keys.
    const std::pair<std::uint32_t, const char*> rows[] = {{6, "Z"},        {22, "6"},       {23, "5"},       {42, "\\"},
                                                          {36, "\u21A9"}, {126, "\u2191"}, {114, "Help"}, {99, "F3"}, {90, "F20"}};
    for (auto [code, name] : rows) EXPECT_EQ(HotKeySpec::keyName(code).value_or("<none>"), name) << code;
}

TEST(HotKeySpecTest, ValidationTestsTheKeyBeforeTheModifiersAndDisplayFollowsAFixedModifierOrder) {
    const std::tuple<std::uint32_t, Modifiers, Validation, std::string> rows[] = {
        {52, Modifiers{}, Validation::unsupportedKey, "?"},
        {52, Modifiers::command, Validation::unsupportedKey, "\u2318?"},
        {10, Modifiers::required, Validation::unsupportedKey, "\u2303\u2325\u2318?"},
        {2, Modifiers{}, Validation::missingModifier, "D"},
        {2, Modifiers::shift, Validation::missingModifier, "\u21E7D"},
        {49, Modifiers(std::uint8_t{0xF0 & ~8}), Validation::missingModifier, "Space"},
        {49, Modifiers::command, Validation::valid, "\u2318Space"},
        {49, Modifiers::control | Modifiers::shift, Validation::valid, "\u2303\u21E7Space"},
        {2, Modifiers(std::uint8_t{0x16}), Validation::valid, "\u2303\u2325D"}, // an extra bit shows nothing
        {0, Modifiers{Modifiers::command, Modifiers::shift, Modifiers::option, Modifiers::control}, Validation::valid,
         "\u2303\u2325\u21E7\u2318A"}};
    for (const auto& [code, modifiers, expected, shown] : rows) {
        EXPECT_EQ(HotKeySpec(code, modifiers).validation(), expected) << code << "/" << int(modifiers.rawValue);
        EXPECT_EQ(HotKeySpec(code, modifiers).displayString(), shown) << code << "/" << int(modifiers.rawValue);
    }
    EXPECT_EQ(HotKeySpec::defaultSpec().displayParts(), (std::vector<std::string>{"\u2303", "\u2325", "D"}));
}

TEST(LinuxKeyNames, ShortcutsReadAsLinuxDesktopsWriteThem) {
    using M = Modifiers;
    const std::tuple<HotKeySpec, const char*, const char*> rows[] = {
        {HotKeySpec::defaultSpec(), "Ctrl+Alt+D", "<Control><Alt>d"},
        // Modifiers always in one order, whatever order they are held in.
        {HotKeySpec(0, M{M::command, M::shift, M::option, M::control}), "Ctrl+Alt+Shift+Super+A", "<Control><Alt><Shift><Super>a"},
        {HotKeySpec(36, M::command), "Super+Return", "<Super>Return"},
        {HotKeySpec(51, M::control), "Ctrl+Backspace", "<Control>BackSpace"},
        {HotKeySpec(116, M::option), "Alt+Page Up", "<Alt>Page_Up"},
        {HotKeySpec(123, M::control), "Ctrl+Left", "<Control>Left"},
        {HotKeySpec(49, M::control), "Ctrl+Space", "<Control>space"},
        {HotKeySpec(27, M::control), "Ctrl+-", "<Control>minus"},
        {HotKeySpec(122, M::control), "Ctrl+F1", "<Control>F1"},
        {HotKeySpec(18, M::option), "Alt+1", "<Alt>1"},
        {HotKeySpec(200, M::control), "Ctrl+?", "<Control>"},
    };
    for (const auto& [spec, shown, accelerator] : rows) {
        EXPECT_EQ(LinuxKeyNames::displayString(spec), shown);
        EXPECT_EQ(LinuxKeyNames::accelerator(spec), accelerator) << shown;
    }
}
