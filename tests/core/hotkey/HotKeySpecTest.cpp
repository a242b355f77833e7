#include "core/hotkey/HotKeySpec.h"

#include <gtest/gtest.h>

#include <set>
#include <unordered_set>

using namespace kestrine;
using Modifiers = HotKeySpec::Modifiers;
using Validation = HotKeySpec::Validation;

TEST(HotKeyModifiers, BehaveAsABitSetThatKeepsUnknownBits) {
    Modifiers controlOption = Modifiers::control | Modifiers::option;
    EXPECT_EQ((Modifiers::required - Modifiers::command), controlOption);
    EXPECT_EQ((controlOption & Modifiers::shift).rawValue, 0);
    EXPECT_TRUE(controlOption.contains(Modifiers::option));
    EXPECT_FALSE(controlOption.contains(Modifiers::required));
    EXPECT_TRUE(controlOption.intersects(Modifiers::required));

    Modifiers built;
    built.insert(Modifiers::shift);
    built.insert(Modifiers(std::uint8_t{0x80}));
    built.remove(Modifiers::shift);
    EXPECT_EQ(built.rawValue, 0x80) << "bits outside the members are kept";
}

TEST(HotKeySpecTest, KeyNameTableHoldsExactlyTheSupportedKeys) {
    std::set<std::uint32_t> named;
    for (std::uint32_t code = 0; code <= 0xFFFF; ++code)
        if (HotKeySpec::keyName(code)) named.insert(code);
    EXPECT_EQ(named.size(), 82u);
    EXPECT_FALSE(HotKeySpec::keyName(0xFFFFFFFFu));
    EXPECT_FALSE(HotKeySpec::keyName(0x10000u + 2));
    // Key 10 (ISO section), 52, the modifier keys, the keypad and unlisted function-row codes.
    for (std::uint32_t code : {10u, 52u, 54u, 55u, 56u, 57u, 58u, 59u, 60u, 61u, 62u, 63u, 65u, 67u, 69u, 71u, 75u,
                               76u, 78u, 81u, 82u, 89u, 91u, 92u, 102u, 104u, 108u, 110u, 112u, 127u})
        EXPECT_FALSE(HotKeySpec::keyName(code)) << code;

    struct Expected {
        std::uint32_t code;
        const char* name;
    };
    // A sample of each kind: letters, digits (whose codes are out of order), punctuation,
    // symbols and the function keys.
    for (auto [code, name] : std::initializer_list<Expected>{
             {0, "A"},        {6, "Z"},        {22, "6"},       {23, "5"},       {29, "0"},       {42, "\\"},
             {50, "`"},       {36, "\u21A9"},  {49, "Space"},   {117, "\u2326"}, {114, "Help"},   {126, "\u2191"},
             {122, "F1"},     {99, "F3"},      {111, "F12"},    {106, "F16"},    {64, "F17"},     {90, "F20"}})
        EXPECT_EQ(HotKeySpec::keyName(code).value_or("<none>"), name) << code;
}

TEST(HotKeySpecTest, ValidationTestsTheKeyBeforeTheModifiers) {
    EXPECT_EQ(HotKeySpec(52, Modifiers{}).validation(), Validation::unsupportedKey);
    EXPECT_EQ(HotKeySpec(52, Modifiers::command).validation(), Validation::unsupportedKey);
    EXPECT_EQ(HotKeySpec(2, Modifiers{}).validation(), Validation::missingModifier);
    EXPECT_EQ(HotKeySpec(2, Modifiers::shift).validation(), Validation::missingModifier);
    EXPECT_EQ(HotKeySpec(2, Modifiers(std::uint8_t{0xF8})).validation(), Validation::missingModifier);
    for (Modifiers one : {Modifiers::command, Modifiers::control, Modifiers::option}) {
        EXPECT_TRUE(HotKeySpec(49, one).isValid());
        EXPECT_TRUE(HotKeySpec(49, one | Modifiers::shift).isValid());
    }
    EXPECT_FALSE(HotKeySpec(10, Modifiers::required).isValid());
}

TEST(HotKeySpecTest, DisplayPartsFollowAFixedOrder) {
    EXPECT_EQ(HotKeySpec::defaultSpec().displayString(), "\u2303\u2325D");
    HotKeySpec all(0, Modifiers{Modifiers::command, Modifiers::shift, Modifiers::option, Modifiers::control});
    EXPECT_EQ(all.displayParts(), (std::vector<std::string>{"\u2303", "\u2325", "\u21E7", "\u2318", "A"}));
    EXPECT_EQ(HotKeySpec(52, Modifiers::command).displayParts(), (std::vector<std::string>{"\u2318", "?"}));
    EXPECT_EQ(HotKeySpec(49, Modifiers(std::uint8_t{0xF0 & ~8})).displayParts(), std::vector<std::string>{"Space"});
}

TEST(HotKeySpecTest, ExtraModifierBitsAreKeptAndCompared) {
    HotKeySpec extra(2, Modifiers(std::uint8_t{0x16}));
    EXPECT_TRUE(extra.isValid());
    EXPECT_EQ(extra.displayString(), "\u2303\u2325D");
    EXPECT_NE(extra, HotKeySpec::defaultSpec());

    std::unordered_set<HotKeySpec> specs{HotKeySpec::defaultSpec(), extra, HotKeySpec(2, Modifiers(6)),
                                         HotKeySpec(6, Modifiers(2))};
    EXPECT_EQ(specs.size(), 3u);
    EXPECT_EQ(specs.count(HotKeySpec(2, Modifiers{Modifiers::option, Modifiers::control})), 1u);
}
