#include "core/model/AppPaths.h"

#include <gtest/gtest.h>

#include <map>

using namespace kestrine;

TEST(AppPaths, DataHomeWinsWhenAbsoluteElseHomeLocalShareElseAnError) {
    using S = std::optional<std::string>;
    EXPECT_EQ(AppPaths::supportDirectory(S("/data"), S("/home/u")), "/data/Kestrine");
    // Empty or relative values are not valid base folders and are ignored.
    EXPECT_EQ(AppPaths::supportDirectory(S(""), S("/home/u")), "/home/u/.local/share/Kestrine");
    EXPECT_EQ(AppPaths::supportDirectory(S("data"), S("/home/u")), "/home/u/.local/share/Kestrine");
    // No absolute folder at all is an error, never the working directory.
    EXPECT_THROW(AppPaths::supportDirectory(std::nullopt, std::nullopt), std::runtime_error);
    EXPECT_THROW(AppPaths::supportDirectory(S("rel"), S("")), std::runtime_error);

    std::map<std::string, std::string> env{{"HOME", "/home/tester"}};
    auto lookup = [&](const std::string& name) { return env.count(name) ? S(env[name]) : std::nullopt; };
    EXPECT_EQ(AppPaths::supportDirectory(lookup), "/home/tester/.local/share/Kestrine");
    env["XDG_DATA_HOME"] = "/xdg";
    EXPECT_EQ(AppPaths::supportDirectory(lookup), "/xdg/Kestrine");
}
