#include "core/launch/JSONFileOnboardingStorage.h"
#include "core/launch/LaunchPolicy.h"
#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"

#include <gtest/gtest.h>


using namespace kestrine;
namespace fs = std::filesystem;

TEST(JSONFileOnboardingStorageTest, OnlyATrueMemberReadsAsSeenMarkingWritesItAndFailuresAreReported) {
    kestrine::testing::TempFolder temp;
    JSONFileOnboardingStorage storage(temp / "support/Kestrine/onboarding.json");
    EXPECT_FALSE(storage.hasSeenOnboarding());
    storage.markOnboardingSeen();
    EXPECT_EQ(readFile(storage.url), R"({"hasSeenOnboarding":true})");
    const std::pair<std::string, bool> rows[] = {
        {R"({"other":[1,2],"hasSeenOnboarding":true})", true}, {"", false}, {"garbage", false}, {"[true]", false},
        {R"({"hasSeenOnboarding":false})", false}, {R"({"hasSeenOnboarding":null})", false}, {R"({"hasSeenOnboarding":1})", false},
        {R"({"hasSeenOnboarding":"true"})", false}, {R"({"HasSeenOnboarding":true})", false}, {std::string("\xff\xfe{}", 4), false}};
    for (const auto& [text, seen] : rows) {
        writeFileAtomically(storage.url, text);
        EXPECT_EQ(std::pair(storage.hasSeenOnboarding(), readFile(storage.url)), std::pair(seen, text));
    }
    EXPECT_THROW(JSONFileOnboardingStorage(storage.url / "onboarding.json").markOnboardingSeen(), fs::filesystem_error);
}

// Answers from a script and records what it was asked to do.
struct FakeOnboardingStorage : OnboardingStorage {
    bool seen = false;
    std::string failure; // "read", "write" or none
    int marks = 0;
    bool hasSeenOnboarding() override { return failure == "read" ? throw std::runtime_error("read") : seen; }
    void markOnboardingSeen() override { seen = (++marks, failure == "write" ? throw std::runtime_error("write") : true); }
};

TEST(LaunchPolicyTest, SettingsAreHiddenOnlyForASeenLoginItemLaunchShowingThemRecordsThemAndStorageFailuresNeverHideThem) {
    auto storage = std::make_shared<FakeOnboardingStorage>();
    LaunchPolicy policy(storage);
    // Each row: a failure to set up, the launch (from the login item or by the user), then whether the
    // settings show and how many times they were marked as seen so far. In order: a launch by the user,
    // never recorded; two from the login item, not recorded, so shown again; the first recorded one, from
    // the login item; another, when nothing is written as the window stays closed; a launch by the user;
    // and one with a storage that cannot answer, which counts as not seen.
    const std::tuple<const char*, bool, bool, int> rows[] = {
        {"write", false, true, 1}, {"write", true, true, 2}, {"write", true, true, 3}, {"", true, true, 4},
        {"", true, false, 4}, {"", false, true, 5}, {"read", true, true, 6}};
    for (auto [failure, loginItem, shown, marks] : rows) {
        storage->failure = failure;
        EXPECT_EQ(std::pair(policy.shouldShowSettingsOnLaunch(loginItem), storage->marks), std::pair(shown, marks)) << failure << loginItem;
    }
    EXPECT_THROW(LaunchPolicy(nullptr), std::invalid_argument);
}
