#include <gtest/gtest.h>

#include <set>

#include "core/model/PresetExchange.h"

namespace kestrine {
namespace {

TEST(PresetExchange, EncodedPresetsDecodeToTheSameNamesEmojiAndApps) {
    Preset work{"id-1", "Work", "💼", {PresetApp("com.example.mail", "/Applications/Mail.app", "Mail"),
                                      PresetApp("url:file:///opt/x.app/", "", "")}, true, std::nullopt};
    Preset plain{"id-2", "Plain", std::nullopt, {}, false, std::nullopt};
    Preset blankEmoji{"id-3", "Blank", std::string(), {}, false, std::nullopt};
    const std::vector<Preset> sources{work, plain, blankEmoji};
    const auto decoded = PresetExchange::decode(PresetExchange::encode(sources));
    ASSERT_EQ(decoded.size(), 3u);
    for (std::size_t i = 0; i < 3; ++i) {
        const Preset& source = sources[i];
        EXPECT_EQ(decoded[i].name, source.name);
        EXPECT_EQ(decoded[i].apps, source.apps);
        EXPECT_TRUE(decoded[i].id.empty()) << "ids belong to one installation";
        EXPECT_FALSE(decoded[i].isDefault);
    }
    EXPECT_EQ(decoded[0].emoji, "💼");
    EXPECT_EQ(decoded[1].emoji, std::nullopt);
    EXPECT_EQ(decoded[2].emoji, std::nullopt) << "an empty emoji means the automatic one";
}

TEST(PresetExchange, FreeNameNumbersATakenName) {
    struct Case {
        std::string name;
        std::set<std::string> taken;
        std::string expected;
    };
    const std::vector<Case> cases{
        {"Work", {}, "Work"},
        {"Work", {"Work"}, "Work 2"},
        {"Work", {"Work", "Work 2", "Work 3"}, "Work 4"},
        {"Work", {"Work", "Work 3"}, "Work 2"},
        {"Work 2", {"Work 2"}, "Work 2 2"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(PresetExchange::freeName(c.name, [&](const std::string& n) { return c.taken.count(n) > 0; }), c.expected)
            << c.name;
}

}  // namespace
}  // namespace kestrine
