#include "core/model/PresetExchange.h"

#include <gtest/gtest.h>

#include <set>

using namespace kestrine;

TEST(PresetExchange, EncodedPresetsDecodeToTheSameNamesEmojiAndAppsWithoutIDsOrDefaults) {
    const std::vector<Preset> sources{
        Preset{"id-1", "Work", "💼", {PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"), PresetApp("url:file:///opt/x.app/", "", "")},
               true, std::nullopt},
        Preset{"id-2", "Plain", std::nullopt, {}, false, std::nullopt},
        Preset{"id-3", "Blank", std::string(), {}, false, std::nullopt}};
    const auto decoded = PresetExchange::decode(PresetExchange::encode(sources));
    ASSERT_EQ(decoded.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(decoded[i].name, sources[i].name);
        EXPECT_EQ(decoded[i].apps, sources[i].apps);
        EXPECT_TRUE(decoded[i].id.empty()) << "ids belong to one installation";
        EXPECT_FALSE(decoded[i].isDefault);
    }
    EXPECT_EQ(decoded[0].emoji, "💼");
    EXPECT_EQ(decoded[1].emoji, std::nullopt);
    EXPECT_EQ(decoded[2].emoji, std::nullopt) << "an empty emoji means the automatic one";
}

TEST(PresetExchange, FreeNameNumbersATakenNameFromTwo) {
    const std::tuple<std::string, std::set<std::string>, std::string> rows[] = {
        {"Work", {}, "Work"}, {"Work", {"Work"}, "Work 2"}, {"Work", {"Work", "Work 2", "Work 3"}, "Work 4"},
        {"Work", {"Work", "Work 3"}, "Work 2"}, {"Work 2", {"Work 2"}, "Work 2 2"}};
    for (const auto& [name, taken, expected] : rows)
        EXPECT_EQ(PresetExchange::freeName(name, [&](const std::string& n) { return taken.count(n) > 0; }), expected) << name;
}
