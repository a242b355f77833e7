#include "core/model/PresetApps.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace kestrine;

namespace {

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
