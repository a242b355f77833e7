#include "core/support/Unicode.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace kestrine;

TEST(Unicode, LowercasingIsFullAndLocaleIndependentAndTrimmingTakesUnicodeWhiteSpaceFromBothEnds) {
    const std::pair<const char*, const char*> lowered[] = {
        {"ÉCOLE ÜBER", "école über"}, {"ΣΟΦΙΑ", "σοφια"}, {"\u212A", "k"} /* Kelvin sign */,
        {"\u0130", "i\u0307"} /* dotted capital I: two code points, root locale */, {"仕事", "仕事"}};
    for (auto [text, expected] : lowered) EXPECT_EQ(lowercased(text), expected) << text;
    const std::pair<const char*, const char*> trims[] = {
        {"  a b \t\n", "a b"}, {"\u00A0Name\u00A0", "Name"}, {"\u3000全角\u3000", "全角"}, {"a\u00A0\u2028b", "a\u00A0\u2028b"},
        {" \u00A0\u2028\n", ""}, {"\u200Bx", "\u200Bx"} /* zero-width space is not white space */};
    for (auto [text, expected] : trims) EXPECT_EQ(trimmed(text), expected) << text;
}

TEST(Unicode, ContainsIgnoringCaseFoldsBothSides) {
    EXPECT_TRUE(containsIgnoringCase("Visual Studio Code", "studio"));
    EXPECT_TRUE(containsIgnoringCase("straße", "STRASSE"));
    EXPECT_FALSE(containsIgnoringCase("Mail", "mails"));
    EXPECT_TRUE(containsIgnoringCase("Mail", "")); // every text contains the empty text
}

TEST(Unicode, NameCollatorSortsNumericallyIgnoringCaseEvenInThePOSIXLocale) {
    NameCollator collator("en_US");
    std::vector<std::string> names{"Zoom", "app 10", "App 2", "éclair", "Eagle", "App 9"};
    std::sort(names.begin(), names.end(), [&](const auto& a, const auto& b) { return collator.compare(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"App 2", "App 9", "app 10", "Eagle", "éclair", "Zoom"}));
    // The POSIX locale (no LANG) would sort in ASCII order; names still sort as in a file browser.
    NameCollator posix("en_US_POSIX");
    EXPECT_LT(posix.compare("apple", "Banana"), 0);
    EXPECT_EQ(posix.compare("safari", "Safari"), 0);
}
