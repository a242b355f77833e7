#include "core/model/AppState.h"
#include "core/model/PresetApp.h"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace kestrine;

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
