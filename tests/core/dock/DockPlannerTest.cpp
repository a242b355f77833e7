#include "core/dock/DockPlanner.h"

#include <gtest/gtest.h>

using namespace kestrine;
using plist::Value;

namespace {

PresetApp app(const std::string& id) { return PresetApp(id, "/Applications/" + id + ".app", id); }
const PresetApp pathless("label:Gone", "", "Gone");

/// A tile as the Dock keeps it: its GUID, 1000 + marker, tells a reused tile from another
/// of the same identity and from one rebuilt by `make` (which writes no GUID).
DockTile tile(const std::string& bundle, int marker = 0) {
    auto raw = DockTile::make(app(bundle)).raw();
    raw["GUID"] = Value(1000 + marker);
    return DockTile(std::move(raw));
}
DockTile spacer(int guid) { return DockTile(plist::Dictionary{{"GUID", Value(guid)}, {"tile-type", Value("spacer-tile")}}); }
DockTile labelTile(const char* label) {
    return DockTile(plist::Dictionary{{"tile-data", Value(plist::Dictionary{{"file-label", Value(label)}})}});
}

/// "A0" for tile("A"), "A*" for a tile without GUID, "_7" for spacer(7).
std::string names(const std::vector<DockTile>& tiles) {
    std::string out;
    for (const auto& t : tiles) {
        auto id = t.identity();
        auto guid = t.guid();
        out += (out.empty() ? "" : ",") +
               (id ? *id + (guid ? std::to_string(*guid - 1000) : "*") : "_" + std::to_string(guid.value_or(0)));
    }
    return out;
}

} // namespace

TEST(DockPlanner, PlanKeepsDockTilesThenStoredThenNewAndIdentitylessTilesAtTheirIndex) {
    // expected: the tiles, the stored tiles after, whether the Dock changes
    struct Row { const char* name; std::vector<DockTile> current, stored; std::vector<PresetApp> apps; const char* expected; };
    const PresetApp A = app("A"), B = app("B"), C = app("C");
    const Row rows[] = {
        {"same list", {tile("A"), spacer(7), tile("B")}, {}, {A, B}, "A0,_7,B0||0"},
        {"reordered", {tile("A"), spacer(7), tile("B"), tile("C")}, {}, {C, A, B}, "C0,_7,A0,B0||1"},
        {"removed tile stored, spacer keeps its index", {tile("A"), spacer(7), tile("B")}, {}, {B}, "B0,_7|A0|1"},
        {"spacers keep indices", {spacer(1), tile("A"), spacer(2), spacer(3), tile("B"), spacer(4)}, {}, {B, C, A},
         "_1,B0,_2,_3,C*,_4,A0||1"},
        {"empty preset: each identity stored once, earlier stored dropped",
         {spacer(1), tile("A", 1), tile("B"), tile("A", 2), spacer(2)}, {tile("Z")}, {}, "_1,_2|A1,B0|1"},
        {"empty Dock: stored tile, else a new one", {}, {tile("A", 5)}, {A, app("N")}, "A5,N*||1"},
        {"pathless unknown app gives no tile", {}, {tile("A", 5)}, {pathless}, "||0"},
        {"repeats once, first tile wins", {tile("A", 1), tile("B"), tile("A", 2)}, {}, {B, A, B, pathless, A}, "B0,A1||1"},
        {"pathless app in the Dock is kept", {labelTile("Gone"), tile("A")}, {}, {pathless}, "label:Gone*|A0|1"},
        {"Dock tile over stored, first stored of an identity", {tile("A", 1)}, {tile("A", 9), tile("B", 9), tile("B", 10)},
         {A, B}, "A1,B9||1"},
    };
    for (const auto& r : rows) {
        auto plan = DockPlanner::plan(r.current, r.stored, r.apps);
        EXPECT_EQ(names(plan.tiles) + "|" + names(plan.stored) + "|" + std::to_string(plan.changed), r.expected) << r.name;
    }
    // A new tile is exactly what make builds.
    EXPECT_EQ(DockPlanner::plan({}, {}, {app("N")}).tiles, std::vector<DockTile>{DockTile::make(app("N"))});
}

TEST(DockPlanner, AppsGivesOneAppPerIdentityWithDecodedPath) {
    auto foo = DockTile(plist::Dictionary{
        {"tile-data", Value(plist::Dictionary{
                          {"file-data", Value(plist::Dictionary{{"_CFURLString", Value("file:///Apps/Foo%20Bar.app/")}})},
                          {"file-label", Value("Foo Label")}})}});
    auto secondA = DockTile::make(PresetApp("A", "/Elsewhere/A2.app", "Second"));
    auto apps = DockPlanner::apps({tile("A"), spacer(3), foo, secondA, labelTile("Downloads")});
    EXPECT_EQ(apps, (std::vector<PresetApp>{app("A"),
                                            PresetApp("url:file:///Apps/Foo%20Bar.app/", "/Apps/Foo Bar.app", "Foo Label"),
                                            PresetApp("label:Downloads", "", "Downloads")}));
    // The apps give back tiles of the same identity.
    EXPECT_EQ(DockPlanner::plan({}, {}, {apps[1]}).tiles.at(0).identity(), apps[1].id);
}

TEST(DockPlanner, FullListPutsHiddenEntriesBackByAnchorThenIndexInIndexOrder) {
    auto entry = [](DockTile t, std::int64_t index, std::optional<std::string> previous = std::nullopt,
                    std::optional<std::string> next = std::nullopt) {
        return HiddenEntry{std::move(t), index, std::move(previous), std::move(next)};
    };
    const std::vector<DockTile> five{tile("A"), tile("B"), tile("C"), tile("D"), spacer(5)};
    struct Row { const char* name; std::vector<DockTile> current; std::vector<HiddenEntry> hidden; const char* expected; };
    const Row rows[] = {
        {"after its previous tile", five, {entry(tile("X"), 0, "guid:5")}, "A0,B0,C0,D0,_5,X0"},
        {"before its next tile", five, {entry(tile("X"), 4, std::nullopt, "A")}, "X0,A0,B0,C0,D0,_5"},
        {"previous wins over next", five, {entry(tile("X"), 0, "C", "A")}, "A0,B0,C0,X0,D0,_5"},
        {"unknown previous: next", five, {entry(tile("X"), 0, "Q", "D")}, "A0,B0,C0,X0,D0,_5"},
        {"no anchor: negative index", five, {entry(tile("X"), -3, "Q", "R")}, "X0,A0,B0,C0,D0,_5"},
        {"no anchor: index past the end", five, {entry(tile("X"), 99)}, "A0,B0,C0,D0,_5,X0"},
        {"no anchor: index", five, {entry(tile("X"), 2)}, "A0,B0,X0,C0,D0,_5"},
        {"empty list", {}, {entry(tile("X"), 5, "A")}, "X0"},
        {"index order, anchored to each other", {tile("A"), tile("D")},
         {entry(tile("C"), 2, "B"), entry(tile("B"), 1, "A")}, "A0,B0,C0,D0"},
        {"identity already listed", {tile("A"), tile("B")}, {entry(tile("B", 4), 0)}, "A0,B0"},
        {"first entry of an identity", {tile("A"), tile("B")},
         {entry(tile("X", 2), 3), entry(tile("X", 1), 1), entry(tile("X", 3), 1)}, "A0,X1,B0"},
        {"identityless while none listed", {tile("A")}, {entry(spacer(1), 0), entry(spacer(2), 5)}, "_1,A0"},
        {"identityless when one is listed", {spacer(9), tile("A")}, {entry(spacer(1), 0)}, "_9,A0"},
    };
    for (const auto& r : rows) EXPECT_EQ(names(DockPlanner::fullList(r.current, r.hidden)), r.expected) << r.name;
}
