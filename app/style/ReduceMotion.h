// The reduce-motion setting that every animated view reads through one accessor.
#pragma once

#include <optional>

namespace kestrine {

class ReduceMotion {
public:
    // On when the environment variable KESTRINE_REDUCE_MOTION is "1" (read once), or when forced.
    static bool isOn();
    // Forces the setting (tests); std::nullopt returns to the environment's value.
    static void setOverride(std::optional<bool> on);
};

}  // namespace kestrine
