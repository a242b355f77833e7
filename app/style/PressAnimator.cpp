#include "app/style/PressAnimator.h"

#include <QPointF>

#include <chrono>

namespace kestrine {

namespace {

PressAnimator::Clock& defaultClockSlot() {
    static PressAnimator::Clock clock;
    return clock;
}

double steadySeconds() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

QEasingCurve bezier(QPointF c1, QPointF c2) {
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(c1, c2, QPointF(1, 1));
    return curve;
}

}  // namespace

PressAnimator::PressAnimator(QObject* parent) : QObject(parent), clock_(defaultClockSlot()) {
    timer_.setInterval(16);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &PressAnimator::tick);
}

void PressAnimator::setClock(Clock clock) {
    clock_ = clock ? std::move(clock) : defaultClockSlot();
}

void PressAnimator::setDefaultClock(Clock clock) {
    defaultClockSlot() = std::move(clock);
}

double PressAnimator::now() const {
    return clock_ ? clock_() : steadySeconds();
}

void PressAnimator::animateTo(double target, const Motion& motion) {
    const bool timed = motion.kind == Motion::Kind::easeInOut || motion.kind == Motion::Kind::easeOut;
    if (motion.kind == Motion::Kind::immediate || (timed && motion.duration <= 0) ||
        (motion.kind == Motion::Kind::spring && motion.response <= 0)) {
        jumpTo(target);
        return;
    }
    if (!running_ && value_ == target) {
        target_ = target;
        return;
    }
    if (running_) tick();  // bring the value up to date before changing course
    target_ = target;
    const double start = now();
    if (motion.kind == Motion::Kind::spring) {
        // A spring already under way keeps its velocity (a press released mid-way).
        const double velocity = running_ && motion_.kind == Motion::Kind::spring ? spring_.velocity() : 0;
        spring_ = SpringAnimation(motion.response, motion.dampingFraction);
        spring_.reset(value_, velocity);
        spring_.setTarget(target);
    } else {
        from_ = value_;
        curve_ = motion.kind == Motion::Kind::easeInOut ? bezier({0.42, 0}, {0.58, 1})
                                                        : bezier({0, 0}, {0.58, 1});
    }
    motion_ = motion;
    startTime_ = start;
    lastTime_ = start;
    running_ = true;
    if (!timer_.isActive()) timer_.start();
}

void PressAnimator::jumpTo(double value) {
    stop();
    target_ = value;
    spring_.reset(value);
    setValue(value);
}

void PressAnimator::tick() {
    if (!running_) return;
    const double t = now();
    if (motion_.kind == Motion::Kind::spring) {
        spring_.step(t - lastTime_);
        lastTime_ = t;
        if (spring_.isSettled()) {
            stop();
            setValue(target_);
        } else {
            setValue(spring_.value());
        }
        return;
    }
    const double progress = motion_.duration > 0 ? (t - startTime_) / motion_.duration : 1;
    if (progress >= 1) {
        stop();
        setValue(target_);
        return;
    }
    setValue(from_ + (target_ - from_) * curve_.valueForProgress(std::max(0.0, progress)));
}

void PressAnimator::setValue(double value) {
    if (value == value_) return;
    value_ = value;
    emit valueChanged(value);
}

void PressAnimator::stop() {
    running_ = false;
    timer_.stop();
}

}  // namespace kestrine
