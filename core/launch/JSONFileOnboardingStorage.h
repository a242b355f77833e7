#pragma once

#include "core/launch/OnboardingStorage.h"

#include <filesystem>

namespace kestrine {

/// Keeps the onboarding flag in a JSON file holding {"hasSeenOnboarding":true}.
class JSONFileOnboardingStorage final : public OnboardingStorage {
public:
    std::filesystem::path url;

    explicit JSONFileOnboardingStorage(std::filesystem::path url) : url(std::move(url)) {}

    /// The file's boolean "hasSeenOnboarding"; false when the file is missing, unreadable,
    /// not a JSON object, or the member is missing or not a boolean.
    bool hasSeenOnboarding() override;

    /// Creates the file's folder as needed and writes {"hasSeenOnboarding":true}
    /// atomically. Throws std::filesystem::filesystem_error.
    void markOnboardingSeen() override;
};

} // namespace kestrine
