#include "core/scan/IconSizing.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kestrine;

TEST(IconSizing, PixelSideRoundsUpAtTwoPixelsPerPointIsAtLeastOneAndSaturates) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(IconSizing::pixelSide(44), 88);
    EXPECT_EQ(IconSizing::pixelSide(0.5), 1);
    EXPECT_EQ(IconSizing::pixelSide(0.51), 2);
    EXPECT_EQ(IconSizing::pixelSide(10.3), 21);
    EXPECT_EQ(IconSizing::pixelSide(-7), 1);
    EXPECT_EQ(IconSizing::pixelSide(std::nan("")), 1);
    EXPECT_EQ(IconSizing::pixelSide(-std::numeric_limits<double>::infinity()), 1);
    EXPECT_EQ(IconSizing::pixelSide(std::numeric_limits<double>::infinity()), largest);
    EXPECT_EQ(IconSizing::pixelSide(std::ldexp(1.0, 62)), largest); // side 2^63 does not fit
    EXPECT_EQ(IconSizing::pixelSide(std::ldexp(1.0, 61)), std::int64_t{1} << 62);
}

TEST(IconSizing, CostIsFourBytesPerPixelAndNeverNegativeOrOverflowing) {
    constexpr auto largest = std::numeric_limits<std::int64_t>::max();
    EXPECT_EQ(IconSizing::cost(88), 30976);
    EXPECT_EQ(IconSizing::cost(0), 0);
    EXPECT_EQ(IconSizing::cost(-5), 0);
    EXPECT_EQ(IconSizing::cost(1518500249), std::int64_t{1518500249} * 1518500249 * 4);
    EXPECT_EQ(IconSizing::cost(1518500250), largest);
    EXPECT_EQ(IconSizing::cost(largest), largest);
}
