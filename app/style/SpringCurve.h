// A damped spring as an easing curve for QVariantAnimation and QPropertyAnimation. The spring is
// described like the platform's: `response` (the period of the undamped spring, in seconds) and
// `dampingFraction` (below 1 it overshoots once or twice, then settles). The curve is the spring's
// path from 0 to 1 over `durationMs`, which should be long enough for it to settle; it ends at 1.
#pragma once

#include <QEasingCurve>

#include <cmath>
#include <numbers>

namespace kestrine {

template <double response, double dampingFraction, int durationMs>
qreal springProgress(qreal progress) {
    static_assert(response > 0 && dampingFraction > 0 && dampingFraction < 1 && durationMs > 0);
    if (progress <= 0) return 0;
    if (progress >= 1) return 1;
    const double t = progress * durationMs / 1000.0;
    const double omega = 2 * std::numbers::pi / response;
    const double decay = dampingFraction * omega;
    const double omegaDamped = omega * std::sqrt(1 - dampingFraction * dampingFraction);
    return 1 - std::exp(-decay * t) * (std::cos(omegaDamped * t) + decay / omegaDamped * std::sin(omegaDamped * t));
}

template <double response, double dampingFraction, int durationMs>
QEasingCurve springCurve() {
    QEasingCurve curve;
    curve.setCustomType(&springProgress<response, dampingFraction, durationMs>);
    return curve;
}

}  // namespace kestrine
