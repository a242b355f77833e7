#include "core/launch/JSONFileOnboardingStorage.h"
#include "core/launch/LaunchPolicy.h"

#include "core/support/AtomicFile.h"
#include "tests/core/support/TempFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

using namespace kestrine;
namespace fs = std::filesystem;

namespace {

class TemporaryFolder : public ::testing::Test {
protected:
    kestrine::testing::TempFolder temp;
    const fs::path& base = temp.path();
};

using JSONFileOnboardingStorageTest = TemporaryFolder;

TEST_F(JSONFileOnboardingStorageTest, MarkingWritesTheExactFileAndReportsFileSystemErrors) {
    JSONFileOnboardingStorage storage(base / "support" / "Kestrine" / "onboarding.json");
    EXPECT_FALSE(storage.hasSeenOnboarding());
    storage.markOnboardingSeen();
    EXPECT_EQ(readFile(storage.url), R"({"hasSeenOnboarding":true})");
    EXPECT_TRUE(storage.hasSeenOnboarding());

    std::ofstream(base / "blocker") << "x";
    JSONFileOnboardingStorage blocked(base / "blocker" / "onboarding.json");
    EXPECT_THROW(blocked.markOnboardingSeen(), fs::filesystem_error);
    EXPECT_FALSE(blocked.hasSeenOnboarding());
}

TEST_F(JSONFileOnboardingStorageTest, AnythingButATrueMemberReadsAsNotSeenAndIsLeftAlone) {
    JSONFileOnboardingStorage storage(base / "onboarding.json");
    for (std::string text : {std::string(""), std::string("garbage"), std::string("true"), std::string("[true]"),
                             std::string("{}"), std::string(R"({"hasSeenOnboarding":false})"),
                             std::string(R"({"hasSeenOnboarding":null})"), std::string(R"({"hasSeenOnboarding":1})"),
                             std::string(R"({"hasSeenOnboarding":"true"})"), std::string(R"({"hasSeenOnboarding":true)"),
                             std::string(R"({"HasSeenOnboarding":true})"), std::string("\xff\xfe{}", 4)}) {
        std::ofstream(storage.url, std::ios::binary) << text;
        EXPECT_FALSE(storage.hasSeenOnboarding()) << text;
        EXPECT_EQ(readFile(storage.url), text);
    }
    std::ofstream(storage.url) << R"({"other":[1,2],"hasSeenOnboarding":true})";
    EXPECT_TRUE(storage.hasSeenOnboarding()) << "unknown members are ignored";

    fs::remove(storage.url);
    fs::create_directory(storage.url);
    EXPECT_FALSE(storage.hasSeenOnboarding());
}

// Answers from a script and records what it was asked to do.
class FakeOnboardingStorage : public OnboardingStorage {
public:
    bool hasSeenOnboarding() override {
        if (failRead) throw std::runtime_error("cannot read");
        return seen;
    }
    void markOnboardingSeen() override {
        ++marks;
        if (failWrite) throw std::runtime_error("cannot write");
        seen = true;
    }
    bool seen = false;
    bool failRead = false;
    bool failWrite = false;
    int marks = 0;
};

TEST(LaunchPolicyTest, SettingsAreHiddenOnlyForASeenLoginItemLaunch) {
    EXPECT_TRUE(LaunchPolicy::shouldShowSettings(false, false));
    EXPECT_TRUE(LaunchPolicy::shouldShowSettings(false, true));
    EXPECT_TRUE(LaunchPolicy::shouldShowSettings(true, false));
    EXPECT_FALSE(LaunchPolicy::shouldShowSettings(true, true));
}

TEST(LaunchPolicyTest, ShowingTheSettingsRecordsThemAsSeen) {
    auto storage = std::make_shared<FakeOnboardingStorage>();
    LaunchPolicy policy(storage);

    EXPECT_TRUE(policy.shouldShowSettingsOnLaunch(true)) << "first launch ever, from the login item";
    EXPECT_EQ(storage->marks, 1);
    EXPECT_FALSE(policy.shouldShowSettingsOnLaunch(true)) << "second launch from the login item";
    EXPECT_EQ(storage->marks, 1) << "nothing is written when the window stays closed";
    EXPECT_TRUE(policy.shouldShowSettingsOnLaunch(false)) << "a launch by the user";
    EXPECT_EQ(storage->marks, 2);
}

TEST(LaunchPolicyTest, StorageFailuresNeverHideTheSettings) {
    auto storage = std::make_shared<FakeOnboardingStorage>();
    LaunchPolicy policy(storage);
    storage->failWrite = true;
    EXPECT_TRUE(policy.shouldShowSettingsOnLaunch(true));
    EXPECT_TRUE(policy.shouldShowSettingsOnLaunch(true)) << "not recorded, so shown again";
    EXPECT_EQ(storage->marks, 2);

    storage->failWrite = false;
    storage->seen = true;
    storage->failRead = true;
    EXPECT_TRUE(policy.shouldShowSettingsOnLaunch(true));

    EXPECT_THROW(LaunchPolicy(nullptr), std::invalid_argument);
}

} // namespace
