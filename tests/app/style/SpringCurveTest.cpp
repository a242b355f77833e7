// The spring curves that carry presses, cards and the banner.
#include "app/style/SpringCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kestrine {
namespace {

// Starts at rest at 0, overshoots 1 by exactly the damped oscillator's first peak, settles at 1
// before the curve's end, and never leaves 0...1 outside the progress range.
TEST(SpringCurveTest, OvershootsByTheOscillatorsPeakAndSettlesAtOne) {
    const std::pair<qreal (*)(qreal), double> springs[] = {
        {&springProgress<0.24, 0.58, 460>, 0.58},  // presses
        {&springProgress<0.32, 0.82, 500>, 0.82},  // moves
        {&springProgress<0.35, 0.8, 500>, 0.8},    // the banner
    };
    for (const auto& [curve, zeta] : springs) {
        SCOPED_TRACE(zeta);
        for (auto [progress, value] : {std::pair(-1.0, 0.0), std::pair(0.0, 0.0), std::pair(1.0, 1.0), std::pair(2.0, 1.0)})
            EXPECT_EQ(curve(progress), value) << progress;
        EXPECT_LT(curve(0.001), 0.01) << "starts with a jump";
        double peak = 0;
        for (int i = 1; i < 4000; ++i) peak = std::max(peak, curve(i / 4000.0));
        EXPECT_NEAR(peak - 1, std::exp(-zeta * std::numbers::pi / std::sqrt(1 - zeta * zeta)), 1e-4);
        EXPECT_NEAR(curve(0.999), 1, 2e-3) << "not settled by the end";
    }
}

}  // namespace
}  // namespace kestrine
