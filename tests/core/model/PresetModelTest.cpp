#include "core/model/AppState.h"
#include "core/model/PresetApp.h"
#include "core/model/PresetApps.h"
#include "core/model/PresetExchange.h"
#include "core/model/PresetStyle.h"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <unordered_set>

using namespace kestrine;

namespace {

const std::string briefcase = "\U0001F4BC", coffee = "\u2615\uFE0F", game = "\U0001F3AE", books = "\U0001F4DA",
                  headphone = "\U0001F3A7", moon = "\U0001F319", fire = "\U0001F525", house = "\U0001F3E0";

// Apps from "A,B,C"; an app named "A/a2" has the id A and the name a2.
std::vector<PresetApp> list(const std::string& ids) {
    std::vector<PresetApp> out;
    std::stringstream in(ids);
    for (std::string id, name; std::getline(in, id, ',');) {
        auto slash = id.find('/');
        name = slash == std::string::npos ? id : id.substr(slash + 1);
        id = id.substr(0, slash);
        out.push_back(PresetApp(id, "/Applications/" + id + ".app", name));
    }
    return out;
}

std::string order(const std::vector<PresetApp>& apps) {
    std::string out;
    for (const auto& a : apps) out += (out.empty() ? "" : ",") + a.id + (a.name == a.id ? "" : "/" + a.name);
    return out;
}

} // namespace

TEST(PresetAppIdentity, BundleIdentifierOrDirectoryURLWithOneSlashAndEqualityUsesAllThreeFieldsExactly) {
    EXPECT_EQ(PresetApp::make(std::string("com.example.mail"), "/Applications/Mail.app", "Mail").id, "com.example.mail");
    const auto spaced = PresetApp::make(std::nullopt, "/Applications/Foo Bar.app", "Foo Bar");
    EXPECT_EQ(spaced.id, "url:file:///Applications/Foo%20Bar.app/");
    EXPECT_EQ(spaced.path, "/Applications/Foo Bar.app");
    EXPECT_EQ(PresetApp::make(std::string(), "/Applications/Foo Bar.app", "Foo Bar").id, spaced.id) << "an empty identifier is none";
    EXPECT_FALSE(PresetApp("label:Downloads", "", "Downloads").url().has_value());
    EXPECT_EQ(PresetApp("x", "/Applications/Mail.app/", "Mail").url(), "file:///Applications/Mail.app/");

    const PresetApp a("com.a", "/A.app", "A");
    std::unordered_set<PresetApp> set{a, PresetApp("com.a", "/A.app", "A"), PresetApp("com.a", "/A.app", "a"),
                                      PresetApp("com.a", "/B.app", "A"), PresetApp("com.A", "/A.app", "A"), PresetApp("/A.app", "com.a", "A")};
    EXPECT_EQ(set.size(), 5u);
    EXPECT_EQ(set.count(a), 1u);
}

TEST(AppState, DefaultPresetsComeFirstInStoredOrderAndLookupFindsTheFirstWithExactlyThatID) {
    auto preset = [](std::string id, bool isDefault, std::string name = "P") {
        return Preset{std::move(id), std::move(name), std::nullopt, {}, isDefault, std::nullopt};
    };
    AppState state;
    state.presets = {preset("a", false), preset("b", true), preset("c", false), preset("d", true)};
    std::vector<std::string> ids;
    for (const auto& p : state.orderedPresets()) ids.push_back(p.id);
    EXPECT_EQ(ids, (std::vector<std::string>{"b", "d", "a", "c"}));
    ASSERT_TRUE(state.defaultPreset());
    EXPECT_EQ(state.defaultPreset()->id, "b");

    state.presets = {preset("dup", false, "first"), preset("Dup", false, "other case"), preset("dup", false, "second")};
    EXPECT_EQ(state.orderedPresets(), state.presets);
    EXPECT_FALSE(state.defaultPreset());
    ASSERT_TRUE(state.preset("dup"));
    EXPECT_EQ(state.preset("dup")->name, "first");
    EXPECT_EQ(state.preset("Dup")->name, "other case");
    EXPECT_FALSE(state.preset("du"));
}

TEST(PresetApps, AddingAppendsOnlyNewIDsFirstOneWinsAndRemovingDropsEveryAppWithThatIDExactly) {
    const std::tuple<const char*, const char*, const char*> adding[] = {
        {"", "A,B,A,C,B", "A,B,C"},
        {"A", "B/first,B/second,A/renamed", "A,B/first"},
        {"A,A", "A,B", "A,A,B"}, // repeats already in the existing list stay
    };
    for (auto [existing, added, expected] : adding) EXPECT_EQ(order(PresetApps::adding(list(existing), list(added))), expected);
    EXPECT_EQ(order(PresetApps::removing(list("A,B,A,C"), "A")), "B,C");
    EXPECT_EQ(order(PresetApps::removing(list("A,B"), "a")), "A,B");
    EXPECT_TRUE(PresetApps::removing({}, "A").empty());
}

TEST(PresetApps, MovingToAnIndexCountsWithoutTheMovedAppIsClampedAndMovesOnlyTheFirstWithTheID) {
    const std::tuple<const char*, const char*, std::int64_t, const char*> rows[] = {
        {"A,B,C", "A", 1, "B,A,C"},    {"A,B,C", "A", 2, "B,C,A"}, {"A,B,C", "C", 0, "C,A,B"},
        {"A,B,C", "C", -5, "C,A,B"},   {"A,B,C", "A", 1000, "B,C,A"}, {"A,B,C", "Z", 0, "A,B,C"},
        {"A,B,C", "B", 1, "A,B,C"},    {"A/a1,B,A/a2", "A", 2, "B,A/a2,A/a1"},
    };
    for (auto [apps, id, index, expected] : rows) EXPECT_EQ(order(PresetApps::moving(list(apps), id, index)), expected) << id << index;
}

TEST(PresetApps, MovingBeforeAnotherAppOrToTheEndAndNotAtAllWhenEitherIsMissingOrTheSame) {
    const std::tuple<const char*, std::optional<std::string>, const char*> rows[] = {
        {"D", "B", "A,D,B,C"}, {"A", "C", "B,A,C,D"}, {"B", std::nullopt, "A,C,D,B"},
        {"B", "B", "A,B,C,D"}, {"B", "Z", "A,B,C,D"}, {"Z", "A", "A,B,C,D"},
    };
    for (const auto& [id, before, expected] : rows) EXPECT_EQ(order(PresetApps::moving(list("A,B,C,D"), id, before)), expected) << id;
}

TEST(PresetApps, SelectionKeepsSelectedInOrderThenAppendsNewCandidates) {
    const auto current = list("A,B,C"), candidates = list("D,B/candidate B,E,C");
    EXPECT_EQ(order(PresetApps::applyingSelection(current, {"C", "A", "E", "D", "X"}, candidates)), "A,C,D,E");
    EXPECT_EQ(order(PresetApps::applyingSelection(current, {"B"}, candidates)), "B"); // the kept app wins
    EXPECT_TRUE(PresetApps::applyingSelection(current, {}, candidates).empty());
    EXPECT_EQ(order(PresetApps::applyingSelection({}, {"E", "D"}, candidates)), "D,E");
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
