// The spring curves that carry presses, cards and the banner.
#include "app/style/SpringCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kestrine {
namespace {

struct SpringCase {
    const char* name;
    qreal (*curve)(qreal);
    double dampingFraction;
};

// Starts at rest at 0, overshoots 1 by exactly the damped oscillator's first peak, settles at 1
// before the curve's end, and never leaves 0...1 outside the progress range.
TEST(SpringCurveTest, OvershootsByTheOscillatorsPeakAndSettlesAtOne) {
    const SpringCase cases[] = {
        {"press", &springProgress<0.24, 0.58, 460>, 0.58},
        {"move", &springProgress<0.32, 0.82, 500>, 0.82},
        {"banner", &springProgress<0.35, 0.8, 500>, 0.8},
    };
    for (const SpringCase& c : cases) {
        EXPECT_EQ(c.curve(0), 0) << c.name;
        EXPECT_EQ(c.curve(-1), 0) << c.name;
        EXPECT_EQ(c.curve(1), 1) << c.name;
        EXPECT_EQ(c.curve(2), 1) << c.name;
        EXPECT_LT(c.curve(0.001), 0.01) << c.name << ": starts without a jump";
        double peak = 0;
        for (int i = 1; i < 4000; ++i) peak = std::max(peak, c.curve(i / 4000.0));
        const double zeta = c.dampingFraction;
        const double expected = std::exp(-zeta * std::numbers::pi / std::sqrt(1 - zeta * zeta));
        EXPECT_NEAR(peak - 1, expected, 1e-4) << c.name;
        EXPECT_NEAR(c.curve(0.999), 1, 2e-3) << c.name << ": not settled by the end";
    }
}

}  // namespace
}  // namespace kestrine
