#include "core/model/Preset.h"
#include "core/model/PresetStyle.h"

#include <gtest/gtest.h>

#include <set>

using namespace kestrine;

namespace {
const std::string briefcase = "\U0001F4BC", coffee = "\u2615\uFE0F", game = "\U0001F3AE", books = "\U0001F4DA",
                  headphone = "\U0001F3A7", moon = "\U0001F319", fire = "\U0001F525", palette = "\U0001F3A8",
                  house = "\U0001F3E0";
}

TEST(PresetStyle, NameHashIsFNV1aOverUTF8Bytes) {
    EXPECT_EQ(PresetStyle::nameHash(""), 0xcbf29ce484222325ull);
    EXPECT_EQ(PresetStyle::nameHash("abc"), 0xe71fa2190541574bull);
    // Bytes above 0x7F must not be sign-extended before the exclusive-or.
    EXPECT_EQ(PresetStyle::nameHash("\xC3\xA9"), ((0xcbf29ce484222325ull ^ 0xC3) * 0x100000001b3ull ^ 0xA9) * 0x100000001b3ull);
}

TEST(PresetStyle, EmojiChoicesAreTwelveDistinctInTheirOrder) {
    ASSERT_EQ(PresetStyle::emojiChoices.size(), 12u);
    EXPECT_EQ(PresetStyle::emojiChoices[0], briefcase);
    EXPECT_EQ(PresetStyle::emojiChoices[4], coffee);
    EXPECT_EQ(PresetStyle::emojiChoices[5], moon);
    EXPECT_EQ(PresetStyle::emojiChoices[10], house);
    EXPECT_EQ(PresetStyle::emojiChoices[11], "\u2728");
    std::set<std::string_view> distinct(PresetStyle::emojiChoices.begin(), PresetStyle::emojiChoices.end());
    EXPECT_EQ(distinct.size(), 12u);
    EXPECT_EQ(PresetStyle::paletteCount, 6);
}

TEST(PresetStyle, FallbackEmojiAndPaletteComeFromTheHash) {
    EXPECT_EQ(PresetStyle::defaultEmoji(""), moon); // offset basis mod 12 = 5
    EXPECT_EQ(PresetStyle::paletteIndex(""), 5);
    EXPECT_EQ(PresetStyle::defaultEmoji("abc"), books);
    EXPECT_EQ(PresetStyle::paletteIndex("abc"), 3);
    // The hash is taken of the name as given, so case changes the fallback.
    EXPECT_EQ(PresetStyle::defaultEmoji("Mail"), game);
    EXPECT_EQ(PresetStyle::paletteIndex("Mail"), 2);
    EXPECT_EQ(PresetStyle::defaultEmoji("mail"), house);
    EXPECT_EQ(PresetStyle::paletteIndex("mail"), 4);
}

TEST(PresetStyle, KeywordsMatchAsSubstringsOfTheLowerCasedName) {
    EXPECT_EQ(PresetStyle::defaultEmoji("Breakfast"), coffee);
    EXPECT_EQ(PresetStyle::defaultEmoji("Artists"), palette);
    EXPECT_EQ(PresetStyle::defaultEmoji("Already done"), books);
    EXPECT_EQ(PresetStyle::defaultEmoji("Study music"), books); // rule 4 before rule 5
    EXPECT_EQ(PresetStyle::defaultEmoji("Music"), headphone);
    EXPECT_EQ(PresetStyle::defaultEmoji("DEEP WORK"), briefcase); // rule 1 before rule 8
    EXPECT_EQ(PresetStyle::defaultEmoji("Deep"), fire);
    EXPECT_EQ(PresetStyle::defaultEmoji("GAMING"), game);
    EXPECT_EQ(PresetStyle::defaultEmoji("Late night"), moon);
    EXPECT_EQ(PresetStyle::defaultEmoji("今日の仕事"), briefcase);
    EXPECT_EQ(PresetStyle::defaultEmoji("読書タイム"), books);
    EXPECT_EQ(PresetStyle::defaultEmoji("ゲーム"), game);
    // Lower-casing is full Unicode: the Kelvin sign lower-cases to an ASCII "k".
    EXPECT_EQ(PresetStyle::defaultEmoji("WOR\u212A"), briefcase);
    EXPECT_EQ(PresetStyle::defaultEmoji("BREA\u212A"), coffee);
    // A keyword emoji does not depend on case; the palette still may.
    EXPECT_EQ(PresetStyle::defaultEmoji("work"), PresetStyle::defaultEmoji("WORK"));
}

TEST(PresetStyle, PaletteIndexAlwaysInRange) {
    for (const char* name : {"", "a", "Work", "Zebra", "\xFF\xFE", "日本語", "a very long preset name indeed"}) {
        int index = PresetStyle::paletteIndex(name);
        EXPECT_GE(index, 0) << name;
        EXPECT_LT(index, PresetStyle::paletteCount) << name;
    }
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
