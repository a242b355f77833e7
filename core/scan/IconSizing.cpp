#include "core/scan/IconSizing.h"

#include <cmath>
#include <limits>

namespace kestrine::IconSizing {

std::int64_t pixelSide(double points) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    double side = std::ceil(points * backingScale);
    if (std::isnan(side) || side < 1) return 1;
    // 2^63 is exactly representable; anything at or above it does not fit.
    if (side >= 9223372036854775808.0) return largest;
    return static_cast<std::int64_t>(side);
}

std::int64_t cost(std::int64_t pixelSide) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    if (pixelSide <= 0) return 0;
    // side^2 * 4 fits exactly when side <= floor(sqrt(largest / 4)) = 1518500249.
    constexpr std::int64_t maxSide = 1518500249;
    if (pixelSide > maxSide) return largest;
    return pixelSide * pixelSide * 4;
}

} // namespace kestrine::IconSizing
