#include "core/model/Preset.h"
#include "core/model/PresetStyle.h"

#include <gtest/gtest.h>

using namespace kestrine;

namespace {
const std::string briefcase = "\U0001F4BC", coffee = "\u2615\uFE0F", game = "\U0001F3AE", books = "\U0001F4DA",
                  headphone = "\U0001F3A7", moon = "\U0001F319", fire = "\U0001F525",
                  house = "\U0001F3E0";
}

TEST(PresetStyle, NameHashIsFNV1aOverUTF8Bytes) {
    EXPECT_EQ(PresetStyle::nameHash(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(PresetStyle::nameHash("abc"), 0xe71fa2190541574bull);
    // Bytes above 0x7F must not be sign-extended before the exclusive-or.
    EXPECT_EQ(PresetStyle::nameHash("\xC3\xA9"), ((0xcbf29ce484222325ull ^ 0xC3) * 0x100000001b3ull ^ 0xA9) * 0x100000001b3ull);
}

TEST(PresetStyle, FallbackEmojiAndPaletteComeFromTheHashOfTheNameAsGiven) {
    EXPECT_EQ(PresetStyle::defaultEmoji(""), moon); // offset basis mod 12 = 5
    EXPECT_EQ(PresetStyle::paletteIndex(""), 5);
    EXPECT_EQ(PresetStyle::defaultEmoji("Mail"), game);
    EXPECT_EQ(PresetStyle::paletteIndex("Mail"), 2);
    EXPECT_EQ(PresetStyle::defaultEmoji("mail"), house);
    EXPECT_EQ(PresetStyle::paletteIndex("mail"), 4);
    for (const char* name : {"a", "Zebra", "\xFF\xFE", "日本語", "a very long preset name indeed"}) {
        EXPECT_GE(PresetStyle::paletteIndex(name), 0) << name;
        EXPECT_LT(PresetStyle::paletteIndex(name), PresetStyle::paletteCount) << name;
    }
}

TEST(PresetStyle, KeywordsMatchAsSubstringsOfTheLowerCasedNameFirstRuleFirst) {
    EXPECT_EQ(PresetStyle::defaultEmoji("Breakfast"), coffee);
    EXPECT_EQ(PresetStyle::defaultEmoji("Already done"), books);
    EXPECT_EQ(PresetStyle::defaultEmoji("Study music"), books); // rule 4 before rule 5
    EXPECT_EQ(PresetStyle::defaultEmoji("Music"), headphone);
    EXPECT_EQ(PresetStyle::defaultEmoji("DEEP WORK"), briefcase); // rule 1 before rule 8
    EXPECT_EQ(PresetStyle::defaultEmoji("Deep"), fire);
    EXPECT_EQ(PresetStyle::defaultEmoji("Late night"), moon);
    EXPECT_EQ(PresetStyle::defaultEmoji("今日の仕事"), briefcase);
    EXPECT_EQ(PresetStyle::defaultEmoji("ゲーム"), game);
    // Lower-casing is full Unicode: the Kelvin sign lower-cases to an ASCII "k".
    EXPECT_EQ(PresetStyle::defaultEmoji("WOR\u212A"), briefcase);
}

TEST(PresetDisplay, EmptyEmojiShowsTheAutomaticOneButIsNotAbsent) {
    Preset withEmpty{"p", "Work", std::string(), {}, false, std::nullopt};
    Preset withNone{"p", "Work", std::nullopt, {}, false, std::nullopt};
    Preset withOwn{"p", "Work", std::string("\U0001F680"), {}, false, std::nullopt};
    EXPECT_EQ(withEmpty.displayEmoji(), briefcase);
    EXPECT_EQ(withNone.displayEmoji(), briefcase);
    EXPECT_EQ(withOwn.displayEmoji(), "\U0001F680");
    EXPECT_NE(withEmpty, withNone);
    EXPECT_EQ(withOwn.paletteIndex(), PresetStyle::paletteIndex("Work"));
    Preset renamed = withOwn;
    renamed.name = "mail";
    EXPECT_EQ(renamed.paletteIndex(), 4);
}
