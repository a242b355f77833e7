// The controller's state and preset operations, and start-up reconciliation, over
// recording fakes of its four ports.

#include <regex>

#include <gtest/gtest.h>

#include "DockFixtures.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

class DockControllerStateTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSystem> system = std::make_shared<FakeSystem>();

    std::shared_ptr<DockController> controller() {
        auto made = makeController(system);
        system->log.clear();
        return made;
    }

    template <typename F>
    void expectPresetError(PresetError::Code code, F&& f) {
        try {
            f();
            ADD_FAILURE() << "expected a PresetError";
        } catch (const PresetError& error) {
            EXPECT_EQ(error.code(), code);
        }
    }
};

} // namespace

TEST_F(DockControllerStateTest, ConstructionLoadsTheStateOrFailsWithTheStorageError) {
    system->savedState.presets = {makePreset("p", "Work", apps({"a"}))};
    auto c = makeController(system);
    EXPECT_EQ(system->log.calls, std::vector<std::string>{"load"});
    EXPECT_EQ(c->state(), system->savedState);

    system->log.failOn("load");
    EXPECT_THROW(makeController(system), FakeFailure);
    EXPECT_THROW(DockController(nullptr, nullptr, nullptr, nullptr), std::invalid_argument);
}

TEST_F(DockControllerStateTest, ActivePresetIDFallsBackToTheDefaultPresetThenToDefault) {
    EXPECT_EQ(controller()->activePresetID(), "default") << "no preset at all";

    system->savedState.presets = {makePreset("w", "Work", {}), makePreset("home", "Home", {}, true)};
    system->savedState.activePresetID = "deleted";
    auto c = controller();
    EXPECT_EQ(c->activePresetID(), "home");
    EXPECT_EQ(c->presets()[0].id, "home") << "default presets come first";

    c->bootstrap("Home", "🏠");
    EXPECT_EQ(system->savedState.activePresetID, "home") << "bootstrap stores the fallback";
}

TEST_F(DockControllerStateTest, CreatePresetChecksTheTrimmedNameAndStoresApplicationsOnce) {
    system->savedState.presets = {makePreset("default", "Home", {}, true), makePreset("w", "Work", {}),
                                  makePreset("s", " Study", {}), makePreset("g", "ÇA VA", {})};
    auto c = controller();
    const AppState before = c->state();
    EXPECT_FALSE(c->isNameTaken("  work ", "w"));
    EXPECT_TRUE(c->isNameTaken("\nça va\t")) << "full Unicode lower-casing";
    EXPECT_FALSE(c->isNameTaken("study")) << "the stored name keeps its leading space";
    EXPECT_FALSE(c->isNameTaken("works"));

    expectPresetError(PresetError::Code::emptyName, [&] { c->createPreset("   ", std::nullopt, {}); });
    expectPresetError(PresetError::Code::nameTaken, [&] { c->createPreset(" WORK", std::nullopt, {}); });
    EXPECT_EQ(c->state(), before);
    EXPECT_TRUE(system->log.calls.empty());

    Preset created = c->createPreset("  Games \n", "🎮", {app("a"), app("b"), app("a")});
    EXPECT_TRUE(std::regex_match(created.id, std::regex("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}")));
    EXPECT_EQ(created.name, "Games");
    EXPECT_EQ(appIDs(created.apps), (std::vector<std::string>{"a", "b"}));
    EXPECT_FALSE(created.isDefault);
    EXPECT_EQ(c->state().presets.back(), created);
    EXPECT_EQ(system->savedState, c->state());
    EXPECT_EQ(c->activePresetID(), "default") << "a new preset does not become active";
    EXPECT_EQ(system->log.calls, std::vector<std::string>{"save"}) << "the Dock is not touched";
    EXPECT_NE(c->createPreset("Other", std::nullopt, {}).id, created.id);
}

TEST_F(DockControllerStateTest, UpdateAndDeleteCheckInOrderAndKeepAFailedSaveInMemory) {
    system->savedState.presets = {makePreset("default", "Home", {}, true), makePreset("w", "Work", {}),
                                  makePreset("g", "Games", {})};
    system->savedState.activePresetID = "w";
    auto c = controller();
    expectPresetError(PresetError::Code::notFound, [&] { c->updatePreset("nope", "", std::nullopt); });
    expectPresetError(PresetError::Code::emptyName, [&] { c->updatePreset("w", " ", std::nullopt); });
    expectPresetError(PresetError::Code::nameTaken, [&] { c->updatePreset("w", "home", std::nullopt); });
    expectPresetError(PresetError::Code::cannotDeleteDefault, [&] { c->deletePreset("default"); });
    expectPresetError(PresetError::Code::notFound, [&] { c->deletePreset("missing"); });
    EXPECT_EQ(system->saves, 0);

    c->updatePreset("w", " work ", "💼"); // its own name in another case is fine
    EXPECT_EQ(c->preset("w")->name, "work");
    EXPECT_EQ(system->savedState.presets[1].emoji, "💼");
    c->updatePreset("w", "Work", std::nullopt);
    EXPECT_EQ(system->savedState.presets[1].emoji, std::nullopt) << "an absent emoji clears it";

    c->deletePreset("g");
    EXPECT_EQ(system->savedState.activePresetID, "w");
    c->deletePreset("w");
    EXPECT_EQ(system->savedState.activePresetID, "default") << "deleting the active preset activates the default";
    EXPECT_EQ(system->savedState.presets.size(), 1u);
    EXPECT_TRUE(std::find(system->log.calls.begin(), system->log.calls.end(), "restart") == system->log.calls.end());

    system->log.failOn("save");
    EXPECT_THROW(c->updatePreset("default", "Office", std::nullopt), FakeFailure);
    EXPECT_EQ(c->preset("default")->name, "Office");
    EXPECT_EQ(system->savedState.presets[0].name, "Home");
}

// MARK: - bootstrap

TEST_F(DockControllerStateTest, FirstStartMakesTheDefaultPresetFromTheDockAndSavesOnce) {
    system->setDock({appTile("a", 1), spacerTile(2), appTile("b", 3), appTile("c", 4)});
    auto c = controller();
    c->bootstrap("Home", "🏠");

    ASSERT_EQ(c->state().presets.size(), 1u);
    const Preset& home = c->state().presets[0];
    EXPECT_EQ(home.id, "default");
    EXPECT_EQ(home.name, "Home");
    EXPECT_EQ(home.emoji, "🏠");
    EXPECT_TRUE(home.isDefault);
    EXPECT_EQ(appIDs(home.apps), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(c->activePresetID(), "default");
    EXPECT_EQ(c->state().activePresetID, "default");
    EXPECT_EQ(system->log.calls, (std::vector<std::string>{"persistentApps", "save"}))
        << "no backup read on a first start, no Dock write";

    // A second start on the saved state with the same Dock saves nothing.
    auto again = controller();
    again->bootstrap("Home", "🏠");
    EXPECT_EQ(system->log.calls, std::vector<std::string>{"persistentApps"});
    EXPECT_EQ(system->saves, 1);
}

TEST_F(DockControllerStateTest, ExistingInstallationUsesTheOriginalBackupAndFindsTheActivePreset) {
    system->setDock({appTile("b", 2), appTile("x", 9)});
    system->original = plist::Dictionary{
        {"persistent-apps", plist::Value(plist::Array{plist::Value(appTile("a", 1)), plist::Value(appTile("b", 2))})}};
    system->savedState.presets = {makePreset("w", "Work", apps({"x", "b"})), makePreset("u1", "home", {}),
                                  makePreset("u2", "Home 2", {})};
    auto c = controller();
    c->bootstrap("Home", "🏠");

    EXPECT_EQ(appIDs(c->state().presets[0].apps), (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(c->state().presets[0].name, "Home 3") << "the first free counter";
    EXPECT_EQ(c->state().activePresetID, "w") << "the preset whose apps equal the Dock's, as a set";
    EXPECT_EQ(system->log.calls, (std::vector<std::string>{"persistentApps", "loadOriginal", "save"}));
}

TEST_F(DockControllerStateTest, ExistingInstallationWithAnUnusableOriginalUsesTheCompleteDock) {
    HiddenEntry hidden{DockTile(appTile("h", 5)), 0, std::nullopt, std::string("b")};
    const std::vector<std::optional<plist::Dictionary>> originals = {
        std::nullopt,
        plist::Dictionary{{"persistent-apps", plist::Value("not a list")}},
        plist::Dictionary{{"persistent-apps", plist::Value(plist::Array{plist::Value(1)})}},
    };
    for (const auto& original : originals) {
        system->setDock({appTile("a", 1), appTile("b", 2)});
        system->original = original;
        system->savedState = AppState{};
        system->savedState.hidden = {hidden};
        auto c = controller();
        c->bootstrap("Home", "🏠");
        EXPECT_EQ(appIDs(c->state().presets[0].apps), (std::vector<std::string>{"a", "h", "b"}))
            << "the hidden tile goes back before its next neighbour";
        EXPECT_EQ(c->state().activePresetID, "default") << "no preset matches the Dock {a, b}";
        EXPECT_TRUE(c->state().hidden.empty());
        EXPECT_EQ(tileIDs(c->state().storedTiles), std::vector<std::string>{"h"});
    }
    // An original with an empty list gives an empty default preset.
    system->original = plist::Dictionary{{"persistent-apps", plist::Value(plist::Array{})}};
    system->savedState = AppState{};
    system->savedState.hidden = {hidden};
    auto c = controller();
    c->bootstrap("Home", "🏠");
    EXPECT_TRUE(c->state().presets[0].apps.empty());
}

TEST_F(DockControllerStateTest, OlderLayoutPresetsAndHiddenEntriesAreMigrated) {
    system->setDock({appTile("a", 1), appTile("c", 3)});
    Preset legacy = makePreset("legacy:Work", "Work", {});
    legacy.legacyHiddenIDs = std::set<std::string>{"c"};
    Preset home = makePreset("default", "Home", apps({"a"}), true);
    system->savedState.presets = {home, legacy};
    system->savedState.activePresetID = "legacy:Work";
    system->savedState.storedTiles = {DockTile(appTile("s", 7))};
    system->savedState.hidden = {
        HiddenEntry{DockTile(appTile("b", 2)), 1, std::string("a"), std::nullopt},
        HiddenEntry{DockTile(appTile("c", 30)), 5, std::nullopt, std::nullopt},   // still in the Dock
        HiddenEntry{DockTile(appTile("s", 70)), 6, std::nullopt, std::nullopt},   // already stored
        HiddenEntry{DockTile(spacerTile(8)), 0, std::nullopt, std::nullopt},      // no identity
    };
    auto c = controller();
    c->bootstrap("Home", "🏠");

    const Preset work = *c->preset("legacy:Work");
    EXPECT_EQ(appIDs(work.apps), (std::vector<std::string>{"a", "b", "s"})) << "the complete Dock without c";
    EXPECT_EQ(work.legacyHiddenIDs, std::nullopt);
    EXPECT_EQ(c->state().presets.size(), 2u) << "a default preset exists already";
    EXPECT_TRUE(c->state().hidden.empty());
    EXPECT_EQ(c->state().storedTiles, (std::vector<DockTile>{DockTile(appTile("s", 7)), DockTile(appTile("b", 2))}));
    EXPECT_EQ(c->state().activePresetID, "legacy:Work");
    EXPECT_EQ(system->savedState, c->state());
    EXPECT_EQ(std::count(system->log.calls.begin(), system->log.calls.end(), "loadOriginal"), 0);
}

TEST_F(DockControllerStateTest, BootstrapFailuresSaveNothing) {
    system->savedState.presets = {makePreset("w", "Work", {})};
    auto c = controller();
    for (const char* failing : {"persistentApps", "loadOriginal"}) {
        system->log.clearFailures();
        system->log.failOn(failing);
        EXPECT_THROW(c->bootstrap("Home", "🏠"), FakeFailure) << failing;
        EXPECT_EQ(system->saves, 0) << failing;
    }
    system->log.clearFailures();
    system->log.failOn("save");
    EXPECT_THROW(c->bootstrap("Home", "🏠"), FakeFailure);
    EXPECT_EQ(c->state().presets[0].id, "default") << "the reconciled state stays in memory";
    EXPECT_EQ(system->savedState.presets.size(), 1u);
}
