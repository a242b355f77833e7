#include "app/style/SpringAnimation.h"

#include <cmath>
#include <numbers>

namespace kestrine {

SpringAnimation::SpringAnimation(double response, double dampingFraction)
    : response_(response), dampingFraction_(dampingFraction < 0 ? 0 : dampingFraction) {}

double SpringAnimation::stiffness() const {
    if (response_ <= 0) return INFINITY;
    const double omega = 2 * std::numbers::pi / response_;
    return omega * omega;
}

double SpringAnimation::damping() const {
    if (response_ <= 0) return INFINITY;
    return 4 * std::numbers::pi * dampingFraction_ / response_;
}

void SpringAnimation::reset(double value, double velocity) {
    value_ = value;
    target_ = value;
    velocity_ = velocity;
}

void SpringAnimation::step(double seconds) {
    if (seconds <= 0) return;
    if (response_ <= 0) {  // an infinitely stiff spring arrives at once
        value_ = target_;
        velocity_ = 0;
        return;
    }
    const double omega0 = 2 * std::numbers::pi / response_;
    const double zeta = dampingFraction_;
    const double d0 = value_ - target_;
    const double v0 = velocity_;
    const double t = seconds;
    double d = 0;
    double v = 0;
    if (zeta < 1) {
        const double alpha = zeta * omega0;
        const double omegaD = omega0 * std::sqrt(1 - zeta * zeta);
        const double decay = std::exp(-alpha * t);
        const double c = std::cos(omegaD * t);
        const double s = std::sin(omegaD * t);
        d = decay * (d0 * c + (v0 + alpha * d0) / omegaD * s);
        v = decay * (v0 * c - (alpha * v0 + omega0 * omega0 * d0) / omegaD * s);
    } else if (zeta == 1) {
        const double decay = std::exp(-omega0 * t);
        const double b = v0 + omega0 * d0;
        d = (d0 + b * t) * decay;
        v = (v0 - omega0 * b * t) * decay;
    } else {
        const double root = std::sqrt(zeta * zeta - 1);
        const double r1 = -omega0 * (zeta - root);
        const double r2 = -omega0 * (zeta + root);
        const double c2 = (v0 - r1 * d0) / (r2 - r1);
        const double c1 = d0 - c2;
        const double e1 = std::exp(r1 * t);
        const double e2 = std::exp(r2 * t);
        d = c1 * e1 + c2 * e2;
        v = r1 * c1 * e1 + r2 * c2 * e2;
    }
    value_ = target_ + d;
    velocity_ = v;
}

bool SpringAnimation::isSettled(double tolerance) const {
    return std::abs(value_ - target_) <= tolerance && std::abs(velocity_) <= tolerance * 10;
}

}  // namespace kestrine
