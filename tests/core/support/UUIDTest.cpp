#include "core/support/UUID.h"

#include <gtest/gtest.h>

#include <regex>
#include <set>

TEST(UUID, CanonicalUpperCaseVersion4AndDistinct) {
    const std::regex form("^[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}$");
    std::set<std::string> seen;
    for (int i = 0; i < 200; ++i) EXPECT_TRUE(std::regex_match(*seen.insert(kestrine::makeUUID()).first, form));
    EXPECT_EQ(seen.size(), 200u);
}
