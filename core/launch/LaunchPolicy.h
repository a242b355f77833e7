#pragma once

#include "core/launch/OnboardingStorage.h"

#include <memory>

namespace kestrine {

/// Decides whether the settings window opens at launch: always, except when the program
/// was started as a login item by a user who has already seen the window.
class LaunchPolicy {
public:
    /// Throws std::invalid_argument when `storage` is missing.
    explicit LaunchPolicy(std::shared_ptr<OnboardingStorage> storage);

    const std::shared_ptr<OnboardingStorage>& storage() const { return storage_; }

    /// not (hasSeenOnboarding and launchedAsLoginItem).
    static constexpr bool shouldShowSettings(bool hasSeenOnboarding, bool launchedAsLoginItem) {
        return !(hasSeenOnboarding && launchedAsLoginItem);
    }

    /// Reads the stored flag. When the window is to be shown, records it as seen first (a
    /// failure to record is ignored: the next launch simply shows the window again).
    bool shouldShowSettingsOnLaunch(bool launchedAsLoginItem);

private:
    std::shared_ptr<OnboardingStorage> storage_;
};

} // namespace kestrine
