// The damped spring and the press animator that drives it.
#include "app/style/PressAnimator.h"
#include "app/style/SpringAnimation.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace kestrine {
namespace {

// An independent numerical solution (classic Runge–Kutta with tiny steps) of
// x'' = -k (x - target) - c x'.
std::pair<double, double> integrate(double k, double c, double x, double v, double target, double seconds) {
    const int steps = 20000;
    const double h = seconds / steps;
    auto accel = [&](double px, double pv) { return -k * (px - target) - c * pv; };
    for (int i = 0; i < steps; ++i) {
        const double k1x = v, k1v = accel(x, v);
        const double k2x = v + h / 2 * k1v, k2v = accel(x + h / 2 * k1x, v + h / 2 * k1v);
        const double k3x = v + h / 2 * k2v, k3v = accel(x + h / 2 * k2x, v + h / 2 * k2v);
        const double k4x = v + h * k3v, k4v = accel(x + h * k3x, v + h * k3v);
        x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return {x, v};
}

TEST(SpringAnimationTest, MatchesANumericalSolutionForEveryDampingRegimeInAnySteps) {
    const SpringAnimation reference(0.24, 0.58);
    EXPECT_NEAR(reference.stiffness(), std::pow(2 * std::numbers::pi / 0.24, 2), 1e-9);
    EXPECT_NEAR(reference.damping(), 4 * std::numbers::pi * 0.58 / 0.24, 1e-9);
    for (double fraction : {0.0, 0.3, 0.58, 1.0, 1.7}) {
        SpringAnimation whole(0.24, fraction);
        SpringAnimation pieces(0.24, fraction);
        for (SpringAnimation* spring : {&whole, &pieces}) {
            spring->reset(0.2, 3.0);
            spring->setTarget(1);
        }
        whole.step(0.17);
        for (int i = 0; i < 17; ++i) pieces.step(0.01);
        const auto [x, v] = integrate(whole.stiffness(), whole.damping(), 0.2, 3.0, 1, 0.17);
        EXPECT_NEAR(whole.value(), x, 1e-6) << "fraction " << fraction;
        EXPECT_NEAR(whole.velocity(), v, 1e-5) << "fraction " << fraction;
        EXPECT_NEAR(pieces.value(), whole.value(), 1e-12) << "fraction " << fraction;
        EXPECT_NEAR(pieces.velocity(), whole.velocity(), 1e-10) << "fraction " << fraction;
    }
}

TEST(SpringAnimationTest, UnderdampedSpringOvershootsByTheExpectedAmount) {
    SpringAnimation spring(0.24, 0.58);
    spring.setTarget(1);
    double peak = 0;
    for (int i = 0; i < 2000; ++i) {
        spring.step(0.0005);
        peak = std::max(peak, spring.value());
    }
    const double expected = std::exp(-0.58 * std::numbers::pi / std::sqrt(1 - 0.58 * 0.58));
    EXPECT_NEAR(peak - 1, expected, 1e-4);
    EXPECT_TRUE(spring.isSettled());
}

TEST(SpringAnimationTest, CriticalAndOverdampedSpringsNeverOvershoot) {
    for (double fraction : {1.0, 2.0}) {
        SpringAnimation spring(0.24, fraction);
        spring.setTarget(1);
        double previous = 0;
        for (int i = 0; i < 600; ++i) {
            spring.step(1.0 / 240);
            EXPECT_LE(spring.value(), 1.0 + 1e-12);
            EXPECT_GE(spring.value(), previous - 1e-12);
            previous = spring.value();
        }
        EXPECT_NEAR(spring.value(), 1, 1e-3);
    }
}

TEST(SpringAnimationTest, DegenerateInputsDoNotMisbehave) {
    SpringAnimation instant(0, 0.5);
    instant.setTarget(3);
    instant.step(0.001);
    EXPECT_EQ(instant.value(), 3);
    SpringAnimation spring(0.24, 0.58);
    spring.setTarget(1);
    spring.step(0);
    spring.step(-1);
    EXPECT_EQ(spring.value(), 0);
    SpringAnimation negative(0.24, -2);  // treated as undamped, not as exploding
    negative.setTarget(1);
    negative.step(10);
    EXPECT_LE(std::abs(negative.value() - 1), 1.0 + 1e-9);
}

class PressAnimatorTest : public ::testing::Test {
protected:
    double now = 10;
    PressAnimator animator;
    void SetUp() override { animator.setClock([this] { return now; }); }
    void advance(double seconds) {
        now += seconds;
        animator.tick();
    }
};

TEST_F(PressAnimatorTest, ReleasingMidPressKeepsTheSpringsMomentum) {
    animator.animateTo(1, Motion::spring(0.24, 0.58));
    advance(0.03);
    const double halfway = animator.value();
    ASSERT_GT(halfway, 0);
    ASSERT_LT(halfway, 1);
    animator.animateTo(0, Motion::spring(0.24, 0.58));
    advance(0.005);
    EXPECT_GT(animator.value(), halfway);  // still travelling down before turning back
    for (int i = 0; i < 120; ++i) advance(1.0 / 60);
    EXPECT_EQ(animator.value(), 0);
    EXPECT_FALSE(animator.isRunning());
}

TEST_F(PressAnimatorTest, EasesStartFromTheCurrentValue) {
    animator.jumpTo(0.5);
    animator.animateTo(1, Motion::easeInOut(0.12));
    advance(0.06);
    EXPECT_NEAR(animator.value(), 0.75, 0.01);
    advance(0.07);
    EXPECT_EQ(animator.value(), 1);
    EXPECT_FALSE(animator.isRunning());
}

TEST_F(PressAnimatorTest, ImmediateMotionJumpsAndSignalsOnceAndTheDefaultClockReachesNewAnimators) {
    int emitted = 0;
    QObject::connect(&animator, &PressAnimator::valueChanged, [&](double) { ++emitted; });
    animator.animateTo(1, Motion::immediate());
    EXPECT_EQ(animator.value(), 1);
    EXPECT_FALSE(animator.isRunning());
    animator.animateTo(1, Motion::spring(0.24, 0.58));  // already there: nothing to do
    EXPECT_FALSE(animator.isRunning());
    EXPECT_EQ(emitted, 1);

    // The default clock reaches animators made after it is set.
    double shared = 1;
    PressAnimator::setDefaultClock([&] { return shared; });
    PressAnimator fresh;
    fresh.animateTo(1, Motion::easeOut(0.1));
    shared += 0.2;
    fresh.tick();
    EXPECT_EQ(fresh.value(), 1);
    PressAnimator::setDefaultClock({});
}

}  // namespace
}  // namespace kestrine
