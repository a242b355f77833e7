#include "core/dock/DockPlanner.h"

#include <gtest/gtest.h>

using namespace kestrine;
using plist::Value;

namespace {

PresetApp app(const std::string& id) {
    return PresetApp(id, "/Applications/" + id + ".app", id);
}

/// A tile as the Dock keeps it, with a marker that `make` would not write, so that a
/// reused tile can be told from a rebuilt one.
DockTile dockTile(const std::string& bundle, int marker = 0) {
    auto raw = DockTile::make(app(bundle)).raw();
    raw["GUID"] = Value(1000 + marker);
    return DockTile(std::move(raw));
}

DockTile spacer(int guid) {
    return DockTile(plist::Dictionary{{"GUID", Value(guid)}, {"tile-type", Value("spacer-tile")}});
}

std::string names(const std::vector<DockTile>& tiles) {
    std::string out;
    for (const auto& t : tiles) out += (out.empty() ? "" : ",") + t.anchorKey().value_or("-");
    return out;
}

HiddenEntry entry(DockTile tile, std::int64_t index, std::optional<std::string> previous = std::nullopt,
                  std::optional<std::string> next = std::nullopt) {
    return HiddenEntry{std::move(tile), index, std::move(previous), std::move(next)};
}

} // namespace

TEST(DockPlannerPlan, SamePresetAgainChangesNothingAndReorderingIsAChange) {
    std::vector<DockTile> current{dockTile("A"), spacer(7), dockTile("B"), dockTile("C")};
    auto plan = DockPlanner::plan(current, {}, DockPlanner::apps(current));
    EXPECT_EQ(plan.tiles, current);
    EXPECT_TRUE(plan.stored.empty());
    EXPECT_FALSE(plan.changed);

    auto reordered = DockPlanner::plan(current, {}, {app("C"), app("A"), app("B")});
    EXPECT_EQ(names(reordered.tiles), "C,guid:7,A,B");
    EXPECT_TRUE(reordered.stored.empty());
    EXPECT_TRUE(reordered.changed);
}

TEST(DockPlannerPlan, IdentitylessTilesKeepTheirIndexFromTheStart) {
    std::vector<DockTile> current{dockTile("A"), spacer(7), dockTile("B")};
    auto plan = DockPlanner::plan(current, {}, {app("B")});
    EXPECT_EQ(names(plan.tiles), "B,guid:7");
    EXPECT_EQ(plan.stored, std::vector<DockTile>{dockTile("A")});
    EXPECT_TRUE(plan.changed);

    std::vector<DockTile> spacers{spacer(1), dockTile("A"), spacer(2), spacer(3), dockTile("B"), spacer(4)};
    auto reordered = DockPlanner::plan(spacers, {}, {app("B"), app("C"), app("A")});
    EXPECT_EQ(names(reordered.tiles), "guid:1,B,guid:2,guid:3,C,guid:4,A");
}

TEST(DockPlannerPlan, EmptyPresetStoresEveryIdentifiedTileOnce) {
    std::vector<DockTile> current{spacer(1), dockTile("A", 1), dockTile("B"), dockTile("A", 2), spacer(2)};
    auto plan = DockPlanner::plan(current, {dockTile("Z")}, {});
    EXPECT_EQ(names(plan.tiles), "guid:1,guid:2");
    ASSERT_EQ(plan.stored.size(), 2u);
    EXPECT_EQ(plan.stored[0], dockTile("A", 1));
    EXPECT_EQ(plan.stored[1], dockTile("B"));
    EXPECT_TRUE(plan.changed);
}

TEST(DockPlannerPlan, EmptyDockTakesStoredTilesOrBuildsNewOnes) {
    std::vector<DockTile> stored{dockTile("A", 5)};
    auto plan = DockPlanner::plan({}, stored, {app("A"), app("N")});
    ASSERT_EQ(plan.tiles.size(), 2u);
    EXPECT_EQ(plan.tiles[0], dockTile("A", 5));
    EXPECT_EQ(plan.tiles[1], DockTile::make(app("N")));
    EXPECT_TRUE(plan.stored.empty());
    EXPECT_TRUE(plan.changed);

    auto nothing = DockPlanner::plan({}, stored, {PresetApp("label:Gone", "", "Gone")});
    EXPECT_TRUE(nothing.tiles.empty());
    EXPECT_FALSE(nothing.changed);
}

TEST(DockPlannerPlan, RepeatsAppearOnceFirstTileWinningAndPathlessUnknownAppsNone) {
    PresetApp pathless("label:Gone", "", "Gone");
    auto plan = DockPlanner::plan({dockTile("A", 1), dockTile("B"), dockTile("A", 2)}, {},
                                  {app("B"), app("A"), app("B"), pathless, app("A")});
    ASSERT_EQ(names(plan.tiles), "B,A");
    EXPECT_EQ(plan.tiles[1], dockTile("A", 1)) << "the second A disappears";
    EXPECT_TRUE(plan.stored.empty());
    // A pathless app whose tile is in the Dock is kept, and not stored.
    auto label = DockTile(plist::Dictionary{{"tile-data", Value(plist::Dictionary{{"file-label", Value("Gone")}})}});
    auto kept = DockPlanner::plan({label, dockTile("A")}, {}, {pathless});
    EXPECT_EQ(kept.tiles, std::vector<DockTile>{label});
    EXPECT_EQ(kept.stored, std::vector<DockTile>{dockTile("A")});
}

TEST(DockPlannerPlan, DockTileWinsOverStoredTileAndStoredOverNewTile) {
    std::vector<DockTile> stored{dockTile("A", 9), dockTile("B", 9), dockTile("B", 10)};
    auto plan = DockPlanner::plan({dockTile("A", 1)}, stored, {app("A"), app("B")});
    ASSERT_EQ(plan.tiles.size(), 2u);
    EXPECT_EQ(plan.tiles[0], dockTile("A", 1));
    EXPECT_EQ(plan.tiles[1], dockTile("B", 9));
    EXPECT_NE(plan.tiles[1], DockTile::make(app("B")));
    // Stored tiles are not carried over: only what this plan removes.
    auto next = DockPlanner::plan(plan.tiles, plan.stored, {app("B")});
    EXPECT_EQ(next.stored, std::vector<DockTile>{dockTile("A", 1)});
}

TEST(DockPlannerApps, OneAppPerIdentityWithDecodedPath) {
    auto foo = DockTile(plist::Dictionary{
        {"tile-data", Value(plist::Dictionary{
                          {"file-data", Value(plist::Dictionary{{"_CFURLString", Value("file:///Apps/Foo%20Bar.app/")}})},
                          {"file-label", Value("Foo Label")}})}});
    auto label = DockTile(plist::Dictionary{{"tile-data", Value(plist::Dictionary{{"file-label", Value("Downloads")}})}});
    auto secondA = DockTile::make(PresetApp("A", "/Elsewhere/A2.app", "Second"));
    auto apps = DockPlanner::apps({dockTile("A"), spacer(3), foo, secondA, label});
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[0], app("A"));
    EXPECT_EQ(apps[1], PresetApp("url:file:///Apps/Foo%20Bar.app/", "/Apps/Foo Bar.app", "Foo Label"));
    EXPECT_EQ(apps[2], PresetApp("label:Downloads", "", "Downloads"));
    // The apps give back tiles of the same identity.
    auto rebuilt = DockPlanner::plan({}, {}, {apps[1]});
    EXPECT_EQ(rebuilt.tiles.at(0).identity(), apps[1].id);
}

TEST(DockPlannerFullList, AnchorsPlaceTheTileBesideTheirTile) {
    std::vector<DockTile> five{dockTile("A"), dockTile("B"), dockTile("C"), dockTile("D"), spacer(5)};
    EXPECT_EQ(names(DockPlanner::fullList(five, {entry(dockTile("X"), 0, "guid:5")})), "A,B,C,D,guid:5,X");
    EXPECT_EQ(names(DockPlanner::fullList(five, {entry(dockTile("X"), 4, std::nullopt, "A")})), "X,A,B,C,D,guid:5");
    EXPECT_EQ(names(DockPlanner::fullList(five, {entry(dockTile("X"), 0, "C", "A")})), "A,B,C,X,D,guid:5");
    // An unknown previous key falls back to the next key, then to the index.
    EXPECT_EQ(names(DockPlanner::fullList(five, {entry(dockTile("X"), 0, "Q", "D")})), "A,B,C,X,D,guid:5");
    EXPECT_EQ(names(DockPlanner::fullList(five, {entry(dockTile("X"), -3, "Q", "R")})), "X,A,B,C,D,guid:5");
    EXPECT_EQ(names(DockPlanner::fullList(five, {entry(dockTile("X"), 99)})), "A,B,C,D,guid:5,X");
    EXPECT_EQ(names(DockPlanner::fullList(five, {entry(dockTile("X"), 2)})), "A,B,X,C,D,guid:5");
    // On an empty list anchors are not looked for.
    EXPECT_EQ(names(DockPlanner::fullList({}, {entry(dockTile("X"), 5, "A")})), "X");
}

TEST(DockPlannerFullList, EntriesGoBackInIndexOrderAndAnchorToEachOther) {
    std::vector<DockTile> current{dockTile("A"), dockTile("D")};
    // Given out of order: B (index 1) must be placed before C anchors to it.
    auto result = DockPlanner::fullList(current, {entry(dockTile("C"), 2, "B"), entry(dockTile("B"), 1, "A")});
    EXPECT_EQ(names(result), "A,B,C,D");
}

TEST(DockPlannerFullList, OnlyTheFirstEntryOfAnIdentityAbsentFromTheListReturns) {
    std::vector<DockTile> current{dockTile("A"), dockTile("B")};
    EXPECT_EQ(DockPlanner::fullList(current, {entry(dockTile("B", 4), 0)}), current);
    auto result = DockPlanner::fullList(current, {entry(dockTile("X", 2), 3), entry(dockTile("X", 1), 1),
                                                  entry(dockTile("X", 3), 1)});
    ASSERT_EQ(result.size(), 3u);
    EXPECT_EQ(result[1], dockTile("X", 1));
}

TEST(DockPlannerFullList, IdentitylessEntriesReturnOnlyWhileNoneIsInTheList) {
    auto first = DockPlanner::fullList({dockTile("A")}, {entry(spacer(1), 0), entry(spacer(2), 5)});
    EXPECT_EQ(names(first), "guid:1,A");
    auto second = DockPlanner::fullList({spacer(9), dockTile("A")}, {entry(spacer(1), 0)});
    EXPECT_EQ(names(second), "guid:9,A");
}
