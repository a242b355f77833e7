#include "core/model/AppState.h"
#include "core/model/PresetApp.h"

#include <gtest/gtest.h>

#include <unordered_set>

using namespace kestrine;

namespace {

Preset preset(std::string id, bool isDefault, std::string name = "P") {
    return Preset{std::move(id), std::move(name), std::nullopt, {}, isDefault, std::nullopt};
}

std::vector<std::string> ids(const std::vector<Preset>& presets) {
    std::vector<std::string> out;
    for (const auto& p : presets) out.push_back(p.id);
    return out;
}

} // namespace

TEST(PresetAppIdentity, BundleIdentifierOrDirectoryURLWithOneSlash) {
    EXPECT_EQ(PresetApp::make(std::string("com.example.mail"), "/Applications/Mail.app", "Mail").id, "com.example.mail");
    auto spaced = PresetApp::make(std::nullopt, "/Applications/Foo Bar.app", "Foo Bar");
    EXPECT_EQ(spaced.id, "url:file:///Applications/Foo%20Bar.app/");
    EXPECT_EQ(spaced.path, "/Applications/Foo Bar.app");
    // An empty bundle identifier counts as none.
    EXPECT_EQ(PresetApp::make(std::string(), "/Applications/Foo Bar.app", "Foo Bar").id, spaced.id);
    EXPECT_FALSE(PresetApp("label:Downloads", "", "Downloads").url().has_value());
    EXPECT_EQ(PresetApp("x", "/Applications/Mail.app/", "Mail").url(), "file:///Applications/Mail.app/");
}

TEST(PresetAppIdentity, EqualityAndHashUseAllThreeFieldsExactly) {
    PresetApp a("com.a", "/A.app", "A");
    EXPECT_NE(a, PresetApp("com.a", "/A.app", "a"));
    EXPECT_NE(a, PresetApp("com.a", "/B.app", "A"));
    EXPECT_NE(a, PresetApp("com.A", "/A.app", "A"));
    std::unordered_set<PresetApp> set{a, PresetApp("com.a", "/A.app", "A"), PresetApp("com.a", "/A.app", "a"),
                                      PresetApp("/A.app", "com.a", "A")};
    EXPECT_EQ(set.size(), 3u);
}

TEST(AppStateOrder, DefaultPresetsComeFirstInStoredOrder) {
    AppState state;
    state.presets = {preset("a", false), preset("b", true), preset("c", false), preset("d", true)};
    EXPECT_EQ(ids(state.orderedPresets()), (std::vector<std::string>{"b", "d", "a", "c"}));
    ASSERT_TRUE(state.defaultPreset());
    EXPECT_EQ(state.defaultPreset()->id, "b");

    AppState noDefault;
    noDefault.presets = {preset("x", false), preset("y", false)};
    EXPECT_EQ(noDefault.orderedPresets(), noDefault.presets);
    EXPECT_FALSE(noDefault.defaultPreset());
}

TEST(AppStateLookup, FirstPresetWithExactlyThatID) {
    AppState state;
    state.presets = {preset("dup", false, "first"), preset("Dup", false, "other case"), preset("dup", false, "second")};
    ASSERT_TRUE(state.preset("dup"));
    EXPECT_EQ(state.preset("dup")->name, "first");
    EXPECT_EQ(state.preset("Dup")->name, "other case");
    EXPECT_FALSE(state.preset("du"));
}
