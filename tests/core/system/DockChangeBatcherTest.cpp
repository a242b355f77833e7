#include "core/dock/DockChangeBatcher.h"

#include <gtest/gtest.h>

#include "DockFixtures.h"

using namespace kestrine;
using namespace kestrine::testing;

namespace {

using Calls = std::vector<std::string>;

class DockChangeBatcherTest : public ::testing::Test {
protected:
    std::shared_ptr<FakeSystem> system = std::make_shared<FakeSystem>();
    std::shared_ptr<DockController> controller;
    std::unique_ptr<DockChangeBatcher> batcher;
    std::string work;

    /// A Dock of a, b, c; the presets Home (default, active) and Work (c).
    void SetUp() override {
        system->setDock({appTile("a", 1), appTile("b", 2), appTile("c", 3)});
        controller = makeController(system);
        controller->bootstrap("Home", "🏠");
        work = controller->createPreset("Work", std::nullopt, apps({"c"})).id;
        batcher = std::make_unique<DockChangeBatcher>(controller);
        system->log.clear();
    }
    long count(const std::string& call) const { return std::count(system->log.calls.begin(), system->log.calls.end(), call); }
};

} // namespace

TEST_F(DockChangeBatcherTest, NothingToFlushWhenNewOrResynced) {
    EXPECT_FALSE(batcher->hasPending());
    EXPECT_EQ(batcher->flush(), std::nullopt);
    batcher->markPending();
    batcher->resync();
    EXPECT_EQ(batcher->flush(), std::nullopt);
    EXPECT_TRUE(system->log.calls.empty());
    EXPECT_THROW(DockChangeBatcher(nullptr), std::invalid_argument);
}

TEST_F(DockChangeBatcherTest, ManyChangesAreSavedAtOnceAndLeadToOneApplyAndOneRestart) {
    batcher->edit("default", apps({"a"}));
    EXPECT_TRUE(batcher->hasPending());
    EXPECT_EQ(system->log.calls, Calls{"save"}) << "the state is saved at once, the Dock is not touched";
    batcher->activate(work);
    batcher->edit(work, apps({"c", "b"}));
    batcher->activate("default");
    batcher->edit("default", apps({"b", "a"}));
    EXPECT_EQ(count("persistentApps"), 0);

    EXPECT_EQ(batcher->flush(), (ApplyResult{true, true}));
    EXPECT_FALSE(batcher->hasPending());
    EXPECT_EQ(count("persistentApps"), 1);
    EXPECT_EQ(count("restart"), 1);
    EXPECT_EQ(tileIDs(system->dockTiles()), (Calls{"b", "a"}));
    EXPECT_EQ(batcher->flush(), std::nullopt);
}

TEST_F(DockChangeBatcherTest, ChangesTheDockDoesNotShowStayClean) {
    batcher->activate("default"); // already active
    EXPECT_FALSE(batcher->hasPending());
    batcher->edit(work, apps({"a"})); // not active: saved all the same
    EXPECT_FALSE(batcher->hasPending());
    EXPECT_EQ(appIDs(system->savedState.preset(work)->apps), Calls{"a"});

    // An edit of the active preset that changes nothing still marks the Dock as behind.
    batcher->edit("default", controller->preset("default")->apps);
    EXPECT_TRUE(batcher->hasPending());
}

TEST_F(DockChangeBatcherTest, FailuresKeepTheFlag) {
    EXPECT_THROW(batcher->edit("nope", {}), PresetError);
    EXPECT_THROW(batcher->activate("nope"), PresetError);
    system->log.failOn("save");
    EXPECT_THROW(batcher->activate(work), FakeFailure);
    EXPECT_FALSE(batcher->hasPending());
    system->log.clearFailures();

    batcher->markPending();
    EXPECT_THROW(batcher->edit("nope", {}), PresetError);
    EXPECT_TRUE(batcher->hasPending());

    batcher->activate(work);
    system->log.failOn("setPersistentApps");
    EXPECT_THROW(batcher->flush(), FakeFailure);
    EXPECT_TRUE(batcher->hasPending()) << "a later flush tries again";
    system->log.clearFailures();
    EXPECT_EQ(batcher->flush(), (ApplyResult{true, true}));
    EXPECT_EQ(tileIDs(system->dockTiles()), Calls{"c"});
    EXPECT_FALSE(batcher->hasPending());
}
