#include "core/launch/LaunchPolicy.h"

#include <stdexcept>

namespace kestrine {

LaunchPolicy::LaunchPolicy(std::shared_ptr<OnboardingStorage> storage) : storage_(std::move(storage)) {
    if (!storage_) throw std::invalid_argument("LaunchPolicy needs an onboarding storage");
}

bool LaunchPolicy::shouldShowSettingsOnLaunch(bool launchedAsLoginItem) {
    bool seen = false;
    try {
        seen = storage_->hasSeenOnboarding();
    } catch (...) {
        seen = false; // a storage that cannot answer counts as "not seen"
    }
    if (!shouldShowSettings(seen, launchedAsLoginItem)) return false;
    try {
        storage_->markOnboardingSeen();
    } catch (...) {
        // Not recorded: the window shows again next time, which is harmless.
    }
    return true;
}

} // namespace kestrine
