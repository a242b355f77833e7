#pragma once

namespace kestrine {

/// Remembers whether the user has seen the settings window once.
class OnboardingStorage {
public:
    virtual ~OnboardingStorage() = default;

    /// False when nothing usable is stored. Never throws.
    virtual bool hasSeenOnboarding() = 0;

    /// Records that the settings window has been seen. Throws on failure.
    virtual void markOnboardingSeen() = 0;
};

} // namespace kestrine
