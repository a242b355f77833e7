#include <gtest/gtest.h>

#include "app/Localization.h"
#include "core/dock/PresetError.h"
#include "tests/app/support/ModelFixture.h"

using namespace kestrine;
using namespace kestrine::testing;
using namespace std::chrono_literals;
using IDs = std::vector<std::string>;

namespace {

class AppModelTest : public ::testing::Test, public ModelFixture {
protected:
    void SetUp() override {
        system->setDock({appTile("com.a", 1), appTile("com.b", 2), spacerTile(3), appTile("com.c", 4)});
        model = build();
        ASSERT_FALSE(model->isInert());
        model->reload();
    }

    /// Adds presets "P1" and "P2" (each with one Dock app) and lets their writes settle.
    void addTwoPresets() {
        ASSERT_TRUE(model->createPreset("P1", std::nullopt, {"com.a"}));
        ASSERT_TRUE(model->createPreset("P2", std::nullopt, {"com.b"}));
        scheduler->advance(600ms);
        system->log.clear();
    }
    const Preset& presetNamed(const std::string& name) {
        for (auto& p : model->presets())
            if (p.name == name) return p;
        throw std::runtime_error("no preset " + name);
    }
    void scan(std::vector<PresetApp> apps) {
        installed = std::move(apps);
        model->scanSession().start();
        executors.drain();
    }
};

TEST_F(AppModelTest, FirstStartPublishesTheDefaultPresetMadeOfTheDock) {
    ASSERT_EQ(model->presets().size(), 1u);
    EXPECT_EQ(model->activeID(), "default");
    EXPECT_EQ(appIDs(model->presets()[0].apps), (IDs{"com.a", "com.b", "com.c"}));
    EXPECT_EQ(model->presets()[0].name, Localization::tr("preset.default.name").toStdString());
    EXPECT_EQ(appIDs(model->dockApps()), (IDs{"com.a", "com.b", "com.c"}));
    EXPECT_FALSE(model->recentsHidden());
}

TEST_F(AppModelTest, ActivationsInABurstWriteTheDockOnce600msAfterTheLast) {
    addTwoPresets();
    const std::string p1 = presetNamed("P1").id, p2 = presetNamed("P2").id;
    model->activate(presetNamed("P1"));
    EXPECT_EQ(model->activeID(), p1);
    scheduler->advance(200ms);
    model->activate(presetNamed("P2"));
    EXPECT_EQ(model->activeID(), p2);
    scheduler->advance(200ms);
    model->activate(model->presets()[0]);
    EXPECT_EQ(model->activeID(), "default");
    scheduler->advance(599ms);
    model->activate(presetNamed("P1"));
    scheduler->advance(599ms);
    EXPECT_EQ(dockWrites(), 0);
    scheduler->advance(1ms);
    EXPECT_EQ(dockWrites(), 1);
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.a", "?"}));
    scheduler->advance(5000ms);
    EXPECT_EQ(dockWrites(), 1);
}

// None of these changes anything, so none may schedule a write or touch the Dock.
TEST_F(AppModelTest, ActionsThatChangeNothingScheduleNothing) {
    const int scheduledBefore = scheduler->scheduled;
    system->log.clear();
    model->activate(model->presets()[0]);  // already active
    model->activate(-1);
    model->activate(static_cast<int>(model->presets().size()));
    model->removeApp("com.unknown");
    model->moveApp("com.unknown", 1);
    model->moveApp("com.a", -1);                            // already first
    model->moveApp("com.c", std::optional<std::string>());  // already last
    EXPECT_TRUE(system->log.calls.empty());
    EXPECT_EQ(scheduler->scheduled, scheduledBefore);
}

TEST_F(AppModelTest, TheSettingsWindowRefreshesTheDockAppsOnAFlushAndClosingItWritesAtOnce) {
    model->setSettingsVisible(true);
    model->removeApp("com.a");
    scheduler->advance(600ms);
    EXPECT_EQ(appIDs(model->dockApps()), (IDs{"com.b", "com.c"}));
    model->removeApp("com.b");
    EXPECT_TRUE(scheduler->isScheduled());
    model->setSettingsVisible(false);
    EXPECT_EQ(dockWrites(), 2);
    EXPECT_FALSE(scheduler->isScheduled());
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.c", "?"}));
}

TEST_F(AppModelTest, RestoreOriginalDropsPendingEditsAndPutsBackTheOriginalDockOrSaysThereIsNone) {
    model->removeApp("com.a");
    model->restoreOriginal();
    scheduler->advance(1000ms);
    EXPECT_EQ(dockWrites(), 0);
    ASSERT_TRUE(model->errorMessage());
    EXPECT_EQ(*model->errorMessage(), Localization::tr("error.noBackup"));

    model->removeApp("com.b");  // the removal of com.a above stays in the preset
    model->flushPending();
    ASSERT_TRUE(system->original);
    model->setErrorMessage(std::nullopt);
    model->restoreOriginal();
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.a", "com.b", "?", "com.c"}));
    EXPECT_EQ(appIDs(model->dockApps()), (IDs{"com.a", "com.b", "com.c"}));
    EXPECT_FALSE(model->errorMessage());
}

TEST_F(AppModelTest, DeletingSchedulesAWriteOnlyForTheActivePresetAndNeverDeletesTheDefault) {
    addTwoPresets();
    Preset p1 = presetNamed("P1"), p2 = presetNamed("P2");
    ASSERT_EQ(model->activeID(), p2.id);  // the newest preset was activated
    model->deletePreset(p1);
    EXPECT_FALSE(scheduler->isScheduled());
    EXPECT_EQ(model->presets().size(), 2u);
    model->deletePreset(p2);
    EXPECT_EQ(model->activeID(), "default");
    EXPECT_TRUE(scheduler->isScheduled());
    scheduler->advance(600ms);
    // The spacer keeps its index from the start of the Dock it was in ("com.b", spacer).
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.a", "?", "com.b", "com.c"}));

    const auto before = model->presets();
    model->deletePreset(model->presets()[0]);
    EXPECT_EQ(model->presets(), before);
    ASSERT_TRUE(model->errorMessage());
    EXPECT_EQ(*model->errorMessage(), Localization::tr("error.cannotDeleteDefault"));
}

TEST_F(AppModelTest, MovesAndSelectionsEditTheActivePreset) {
    model->moveApp("com.a", 1);
    EXPECT_EQ(appIDs(model->activePreset()->apps), (IDs{"com.b", "com.a", "com.c"}));
    model->moveApp("com.c", std::optional<std::string>("com.b"));
    EXPECT_EQ(appIDs(model->activePreset()->apps), (IDs{"com.c", "com.b", "com.a"}));
    scan({PresetApp("org.new", "/Applications/New.app", "New")});
    model->applySelection({"com.a", "org.new"});
    EXPECT_EQ(appIDs(model->activePreset()->apps), (IDs{"com.a", "org.new"}));
    scheduler->advance(600ms);
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.a", "org.new", "?"}));
}

TEST_F(AppModelTest, CreatePresetOrdersDockAppsFirstAndReportsNameErrors) {
    scan({PresetApp("org.zed", "/Applications/Zed.app", "Zed")});
    ASSERT_TRUE(model->createPreset("Mix", std::string("🔥"), {"org.zed", "com.c", "com.a"}));
    auto mix = presetNamed("Mix");
    EXPECT_EQ(appIDs(mix.apps), (IDs{"com.a", "com.c", "org.zed"}));
    EXPECT_EQ(model->activeID(), mix.id);
    EXPECT_FALSE(model->createPreset("  mix ", std::nullopt, {"com.a"}));
    EXPECT_EQ(*model->errorMessage(), Localization::tr("editor.nameTaken"));
    EXPECT_FALSE(model->createPreset("   ", std::nullopt, {"com.a"}));
    EXPECT_EQ(*model->errorMessage(), Localization::tr("error.emptyName"));
    EXPECT_TRUE(model->updatePreset(mix, "Mix", std::string("🎧")));
    EXPECT_EQ(presetNamed("Mix").emoji, std::optional<std::string>("🎧"));
}

TEST_F(AppModelTest, PickerAppsListEachIdOnceSortedLikeAFileBrowser) {
    installed = {PresetApp("com.a", "/opt/A.app", "App 10"), PresetApp("org.two", "/opt/Two.app", "app 2"),
                 PresetApp("org.up", "/opt/Up.app", "App 2")};
    model->scanSession().start();
    EXPECT_TRUE(model->scanningApps());
    executors.drain();
    EXPECT_FALSE(model->scanningApps());
    auto picker = model->pickerApps();
    ASSERT_EQ(appIDs(picker), (IDs{"org.two", "org.up", "com.a", "com.b", "com.c"}));
    EXPECT_EQ(picker[2].path, "/opt/A.app");  // the installed copy wins over the preset's
    EXPECT_EQ(picker[2].name, "App 10");
}

TEST_F(AppModelTest, ReleaseResourcesForgetsScanIconsAndDockApps) {
    scan({PresetApp("org.x", "", "X")});
    model->icons().icon(installed[0]);
    model->releaseResources();
    EXPECT_TRUE(model->installedApps().empty());
    EXPECT_TRUE(model->dockApps().empty());
    EXPECT_EQ(model->icons().count(), 0);
}

TEST_F(AppModelTest, AFailingFlushShowsTheErrorAndTriesAgainLater) {
    system->log.failOn("setPersistentApps");
    model->removeApp("com.a");
    scheduler->advance(600ms);
    ASSERT_TRUE(model->errorMessage());
    EXPECT_EQ(*model->errorMessage(), Localization::format("error.generic", "setPersistentApps failed"));
    system->log.clearFailures();
    model->flushPending();
    EXPECT_EQ(tileIDs(system->dockTiles()), (IDs{"com.b", "com.c", "?"}));
}

TEST_F(AppModelTest, RecentsSettingIsWrittenAndRepublished) {
    model->setRecentsHidden(true);
    EXPECT_TRUE(model->recentsHidden());
    EXPECT_EQ(system->dock.at("show-recents"), plist::Value(false));
}

TEST(AppModelStart, AStateThatCannotBeLoadedLeavesTheModelInert) {
    ModelFixture f;
    f.system->log.failOn("load");
    auto model = f.build();
    EXPECT_TRUE(model->isInert());
    ASSERT_TRUE(model->errorMessage());
    EXPECT_EQ(*model->errorMessage(), Localization::format("error.start", Localization::format("error.generic", "load failed")));
    model->reload();
    model->activate(0);
    EXPECT_FALSE(model->createPreset("X", std::nullopt, {"a"}));
    model->removeApp("a");
    model->setRecentsHidden(true);
    model->restoreOriginal();
    EXPECT_TRUE(model->presets().empty());
    EXPECT_EQ(f.system->log.calls, (IDs{"load"}));
}

TEST(AppModelMessages, MapEveryKnownErrorToItsKey) {
    EXPECT_EQ(AppModel::message(PresetError::notFound()), Localization::tr("error.presetNotFound"));
    EXPECT_EQ(AppModel::message(PresetError::nameTaken()), Localization::tr("editor.nameTaken"));
    EXPECT_EQ(AppModel::message(std::runtime_error("disk full")), Localization::format("error.generic", "disk full"));
}

}  // namespace
