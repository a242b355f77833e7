// A damped harmonic oscillator pulling a value towards a target, described like the platform's
// springs: `response` (the period of the undamped spring, seconds) and `dampingFraction`
// (1 = critically damped, less bounces). Stiffness = (2π/response)², damping = 4π·fraction/response.
#pragma once

namespace kestrine {

class SpringAnimation {
public:
    SpringAnimation(double response, double dampingFraction);

    double response() const { return response_; }
    double dampingFraction() const { return dampingFraction_; }
    double stiffness() const;
    double damping() const;

    double value() const { return value_; }
    double velocity() const { return velocity_; }
    double target() const { return target_; }

    // Places the value, moving at `velocity`, with the target at the value.
    void reset(double value, double velocity = 0);
    // A new target; the current value and velocity carry on from where they are.
    void setTarget(double target) { target_ = target; }
    // Advances the motion by `seconds` (exactly: the oscillator's closed-form solution, so one
    // step of 0.1 s and ten steps of 0.01 s land on the same point).
    void step(double seconds);
    // True when the value is within `tolerance` of the target and nearly still.
    bool isSettled(double tolerance = 1e-3) const;

private:
    double response_;
    double dampingFraction_;
    double value_ = 0;
    double velocity_ = 0;
    double target_ = 0;
};

}  // namespace kestrine
