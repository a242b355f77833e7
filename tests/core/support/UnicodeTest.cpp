#include "core/support/Unicode.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace kestrine;

TEST(Lowercased, IsFullUnicodeAndLocaleIndependent) {
    EXPECT_EQ(lowercased("ÉCOLE ÜBER"), "école über");
    EXPECT_EQ(lowercased("ΣΟΦΙΑ"), "σοφια");
    EXPECT_EQ(lowercased("\u212A"), "k");           // Kelvin sign
    EXPECT_EQ(lowercased("\u0130"), "i\u0307");     // dotted capital I: two code points, root locale
    EXPECT_EQ(lowercased("仕事"), "仕事");
}

TEST(Trimmed, RemovesUnicodeWhiteSpaceAtBothEndsOnly) {
    EXPECT_EQ(trimmed("  a b \t\n"), "a b");
    EXPECT_EQ(trimmed("\u00A0Name\u00A0"), "Name");   // no-break space
    EXPECT_EQ(trimmed("\u3000全角\u3000"), "全角");    // ideographic space
    EXPECT_EQ(trimmed("a\u00A0\u2028b"), "a\u00A0\u2028b");
    EXPECT_EQ(trimmed(" \u00A0\u2028\n"), "");
    EXPECT_EQ(trimmed("\u200Bx"), "\u200Bx"); // zero-width space is not white space
}

TEST(ContainsIgnoringCase, FoldsCaseOnBothSides) {
    EXPECT_TRUE(containsIgnoringCase("Visual Studio Code", "studio"));
    EXPECT_TRUE(containsIgnoringCase("straße", "STRASSE"));
    EXPECT_FALSE(containsIgnoringCase("Mail", "mails"));
    EXPECT_TRUE(containsIgnoringCase("Mail", "")); // every text contains the empty text
}

TEST(NameCollator, NumericAndCaseInsensitive) {
    NameCollator collator("en_US");
    EXPECT_LT(collator.compare("App 2", "App 10"), 0);
    EXPECT_GT(collator.compare("App 10", "App 9"), 0);
    // The POSIX locale (no LANG) would sort in ASCII order; names still sort as in a file browser.
    NameCollator posix("en_US_POSIX");
    EXPECT_LT(posix.compare("apple", "Banana"), 0);
    EXPECT_EQ(posix.compare("safari", "Safari"), 0);

    std::vector<std::string> names{"Zoom", "app 10", "App 2", "éclair", "Eagle"};
    std::sort(names.begin(), names.end(), [&](const auto& a, const auto& b) { return collator.compare(a, b) < 0; });
    EXPECT_EQ(names, (std::vector<std::string>{"App 2", "app 10", "Eagle", "éclair", "Zoom"}));
}
