#include "core/model/PresetApps.h"

#include <gtest/gtest.h>

using namespace kestrine;

namespace {

PresetApp app(const std::string& id, const std::string& name = "") {
    return PresetApp(id, "/Applications/" + id + ".app", name.empty() ? id : name);
}

std::vector<PresetApp> list(std::initializer_list<const char*> ids) {
    std::vector<PresetApp> out;
    for (const char* id : ids) out.push_back(app(id));
    return out;
}

std::string order(const std::vector<PresetApp>& apps) {
    std::string out;
    for (const auto& a : apps) out += (out.empty() ? "" : ",") + a.id;
    return out;
}

} // namespace

TEST(PresetAppsAdding, AppendsOnlyNewIDsFirstOneWins) {
    EXPECT_EQ(order(PresetApps::adding({}, list({"A", "B", "A", "C", "B"}))), "A,B,C");
    auto added = PresetApps::adding(list({"A"}), {app("B", "first"), app("B", "second"), app("A", "renamed")});
    ASSERT_EQ(added.size(), 2u);
    EXPECT_EQ(added[0].name, "A");
    EXPECT_EQ(added[1].name, "first");
    // Repeats already in the existing list stay.
    EXPECT_EQ(order(PresetApps::adding(list({"A", "A"}), list({"A", "B"}))), "A,A,B");
}

TEST(PresetAppsRemoving, DropsEveryAppWithThatIDExactly) {
    EXPECT_EQ(order(PresetApps::removing(list({"A", "B", "A", "C"}), "A")), "B,C");
    EXPECT_EQ(order(PresetApps::removing(list({"A", "B"}), "a")), "A,B");
    EXPECT_TRUE(PresetApps::removing({}, "A").empty());
}

TEST(PresetAppsMovingToIndex, IndexCountsWithoutTheMovedAppAndIsClamped) {
    auto abc = list({"A", "B", "C"});
    EXPECT_EQ(order(PresetApps::moving(abc, "A", 1)), "B,A,C");
    EXPECT_EQ(order(PresetApps::moving(abc, "A", 2)), "B,C,A");
    EXPECT_EQ(order(PresetApps::moving(abc, "C", 0)), "C,A,B");
    EXPECT_EQ(order(PresetApps::moving(abc, "C", -5)), "C,A,B");
    EXPECT_EQ(order(PresetApps::moving(abc, "A", 1000)), "B,C,A");
    EXPECT_EQ(PresetApps::moving(abc, "Z", 0), abc);
    EXPECT_EQ(PresetApps::moving(abc, "B", 1), abc);
    // Only the first app with the id moves.
    auto named = PresetApps::moving({app("A", "a1"), app("B"), app("A", "a2")}, "A", 2);
    EXPECT_EQ(named[0].id, "B");
    EXPECT_EQ(named[1].name, "a2");
    EXPECT_EQ(named[2].name, "a1");
}

TEST(PresetAppsMovingBefore, MovesInFrontOfTheOtherAppOrToTheEnd) {
    auto abcd = list({"A", "B", "C", "D"});
    EXPECT_EQ(order(PresetApps::moving(abcd, "D", std::optional<std::string>("B"))), "A,D,B,C");
    EXPECT_EQ(order(PresetApps::moving(abcd, "A", std::optional<std::string>("C"))), "B,A,C,D");
    EXPECT_EQ(order(PresetApps::moving(abcd, "B", std::nullopt)), "A,C,D,B");
    EXPECT_EQ(PresetApps::moving(abcd, "B", std::optional<std::string>("B")), abcd);
    EXPECT_EQ(PresetApps::moving(abcd, "B", std::optional<std::string>("Z")), abcd);
    EXPECT_EQ(PresetApps::moving(abcd, "Z", std::optional<std::string>("A")), abcd);
}

TEST(PresetAppsSelection, KeepsSelectedInOrderThenAppendsNewCandidates) {
    auto current = list({"A", "B", "C"});
    auto candidates = std::vector<PresetApp>{app("D"), app("B", "candidate B"), app("E"), app("C")};
    auto result = PresetApps::applyingSelection(current, {"C", "A", "E", "D", "X"}, candidates);
    EXPECT_EQ(order(result), "A,C,D,E");
    EXPECT_EQ(PresetApps::applyingSelection(current, {"B"}, candidates)[0].name, "B"); // kept app wins
    EXPECT_TRUE(PresetApps::applyingSelection(current, {}, candidates).empty());
    EXPECT_EQ(order(PresetApps::applyingSelection({}, {"E", "D"}, candidates)), "D,E");
}
