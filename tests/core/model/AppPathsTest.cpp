#include "core/model/AppPaths.h"

#include <gtest/gtest.h>

#include <map>

using namespace kestrine;

TEST(AppPaths, DataHomeWinsWhenAbsoluteElseHomeLocalShareElseAnError) {
    EXPECT_EQ(AppPaths::supportDirectory(std::string("/data"), std::string("/home/u")), "/data/Kestrine");
    // Empty or relative values are not valid base folders and are ignored.
    EXPECT_EQ(AppPaths::supportDirectory(std::string(""), std::string("/home/u")), "/home/u/.local/share/Kestrine");
    EXPECT_EQ(AppPaths::supportDirectory(std::string("data"), std::string("/home/u")), "/home/u/.local/share/Kestrine");
    // No absolute folder at all is an error, never the working directory.
    EXPECT_THROW(AppPaths::supportDirectory(std::nullopt, std::nullopt), std::runtime_error);
    EXPECT_THROW(AppPaths::supportDirectory(std::string("rel"), std::string("")), std::runtime_error);

    std::map<std::string, std::string> env{{"HOME", "/home/tester"}};
    auto lookup = [&](const std::string& name) -> std::optional<std::string> {
        auto it = env.find(name);
        return it == env.end() ? std::nullopt : std::optional<std::string>(it->second);
    };
    EXPECT_EQ(AppPaths::supportDirectory(lookup), "/home/tester/.local/share/Kestrine");
    env["XDG_DATA_HOME"] = "/xdg";
    EXPECT_EQ(AppPaths::supportDirectory(lookup), "/xdg/Kestrine");
}
