#include "app/style/ReduceMotion.h"

#include <cstdlib>
#include <cstring>

namespace kestrine {

namespace {

std::optional<bool>& overrideSlot() {
    static std::optional<bool> slot;
    return slot;
}

bool fromEnvironment() {
    static const bool on = [] {
        const char* value = std::getenv("KESTRINE_REDUCE_MOTION");
        return value != nullptr && std::strcmp(value, "1") == 0;
    }();
    return on;
}

}  // namespace

bool ReduceMotion::isOn() {
    if (overrideSlot()) return *overrideSlot();
    return fromEnvironment();
}

void ReduceMotion::setOverride(std::optional<bool> on) {
    overrideSlot() = on;
}

}  // namespace kestrine
