#include "core/model/Preset.h"
#include "core/model/PresetStyle.h"

#include <gtest/gtest.h>

using namespace kestrine;

namespace {
const std::string briefcase = "\U0001F4BC", coffee = "\u2615\uFE0F", game = "\U0001F3AE", books = "\U0001F4DA",
                  headphone = "\U0001F3A7", moon = "\U0001F319", fire = "\U0001F525", house = "\U0001F3E0";
}

TEST(PresetStyle, FallbackEmojiAndPaletteComeFromKeywordsElseFromTheFNV1aHashOfTheNameAsGiven) {
    EXPECT_EQ(PresetStyle::nameHash("abc"), 0xe71fa2190541574bull);
    // Bytes above 0x7F must not be sign-extended before the exclusive-or.
    EXPECT_EQ(PresetStyle::nameHash("\xC3\xA9"), ((0xcbf29ce484222325ull ^ 0xC3) * 0x100000001b3ull ^ 0xA9) * 0x100000001b3ull);
    const std::tuple<const char*, std::string, int> hashed[] = {{"", moon, 5}, {"Mail", game, 2}, {"mail", house, 4}};
    for (const auto& [name, emoji, palette] : hashed) {
        EXPECT_EQ(PresetStyle::defaultEmoji(name), emoji) << name;
        EXPECT_EQ(PresetStyle::paletteIndex(name), palette) << name;
    }
    for (const char* name : {"a", "Zebra", "\xFF\xFE", "日本語", "a very long preset name indeed"}) {
        EXPECT_GE(PresetStyle::paletteIndex(name), 0) << name;
        EXPECT_LT(PresetStyle::paletteIndex(name), PresetStyle::paletteCount) << name;
    }
    // Keywords match as substrings of the fully lower-cased name, first rule first.
    const std::pair<const char*, std::string> keywords[] = {
        {"Breakfast", coffee}, {"Already done", books}, {"Study music", books}, {"Music", headphone},
        {"DEEP WORK", briefcase}, {"Deep", fire}, {"Late night", moon}, {"今日の仕事", briefcase}, {"ゲーム", game},
        {"WOR\u212A", briefcase} /* the Kelvin sign lower-cases to an ASCII "k" */};
    for (const auto& [name, emoji] : keywords) EXPECT_EQ(PresetStyle::defaultEmoji(name), emoji) << name;
}

TEST(PresetDisplay, EmptyEmojiShowsTheAutomaticOneButIsNotAbsentAndThePaletteFollowsTheName) {
    Preset withEmpty{"p", "Work", std::string(), {}, false, std::nullopt};
    Preset withNone{"p", "Work", std::nullopt, {}, false, std::nullopt};
    Preset withOwn{"p", "Work", std::string("\U0001F680"), {}, false, std::nullopt};
    EXPECT_EQ(withEmpty.displayEmoji(), briefcase);
    EXPECT_EQ(withNone.displayEmoji(), briefcase);
    EXPECT_EQ(withOwn.displayEmoji(), "\U0001F680");
    EXPECT_NE(withEmpty, withNone);
    withOwn.name = "mail";
    EXPECT_EQ(withOwn.paletteIndex(), 4);
}
