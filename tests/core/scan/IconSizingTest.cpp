#include "core/scan/IconSizing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kestrine;

TEST(IconSizing, PixelSideRoundsUpAtTwoPixelsPerPointIsAtLeastOneAndCostIsFourBytesAPixelBothSaturating) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    constexpr auto infinity = std::numeric_limits<double>::infinity();
    const std::pair<double, std::int64_t> sides[] = {
        {44, 88}, {0.5, 1}, {0.51, 2}, {10.3, 21}, {-7, 1}, {std::nan(""), 1}, {-infinity, 1}, {infinity, largest},
        {std::ldexp(1.0, 62), largest} /* side 2^63 does not fit */, {std::ldexp(1.0, 61), std::int64_t{1} << 62}};
    for (auto [points, side] : sides) EXPECT_EQ(IconSizing::pixelSide(points), side) << points;
    const std::pair<std::int64_t, std::int64_t> costs[] = {
        {88, 30976}, {0, 0}, {-5, 0}, {1518500249, std::int64_t{1518500249} * 1518500249 * 4}, {1518500250, largest}, {largest, largest}};
    for (auto [side, cost] : costs) EXPECT_EQ(IconSizing::cost(side), cost) << side;
}
