// Animates a key's press progress (0 = up, 1 = down) with a spring or a timed ease, ticking at
// about 60 Hz. The time source is injectable so that tests step the animation without waiting.
#pragma once

#include "app/style/SpringAnimation.h"

#include <QEasingCurve>
#include <QObject>
#include <QTimer>

#include <functional>
#include <optional>

namespace kestrine {

// How a change is animated.
struct Motion {
    enum class Kind { immediate, spring, easeInOut, easeOut };
    Kind kind = Kind::immediate;
    double duration = 0;         // seconds, for the eases
    double response = 0;         // seconds, for the spring
    double dampingFraction = 1;  // for the spring

    static Motion immediate() { return {}; }
    static Motion spring(double response, double dampingFraction) {
        return {Kind::spring, 0, response, dampingFraction};
    }
    static Motion easeInOut(double duration) { return {Kind::easeInOut, duration, 0, 1}; }
    static Motion easeOut(double duration) { return {Kind::easeOut, duration, 0, 1}; }

    bool operator==(const Motion&) const = default;
};

class PressAnimator : public QObject {
    Q_OBJECT
public:
    using Clock = std::function<double()>;  // monotonic seconds

    explicit PressAnimator(QObject* parent = nullptr);

    // The clock of this animator; an empty function returns to the default clock.
    void setClock(Clock clock);
    // The clock of animators created from now on (tests); empty restores the steady clock.
    static void setDefaultClock(Clock clock);

    double value() const { return value_; }
    double target() const { return target_; }
    bool isRunning() const { return running_; }

    // Starts moving towards `target`. A spring keeps the current velocity; an ease starts from the
    // current value. Kind::immediate (or a zero duration) jumps.
    void animateTo(double target, const Motion& motion);
    void jumpTo(double value);
    // Reads the clock and advances; the timer calls this, tests may call it directly.
    void tick();

signals:
    void valueChanged(double value);

private:
    void setValue(double value);
    void stop();
    double now() const;

    Clock clock_;
    QTimer timer_;
    Motion motion_;
    SpringAnimation spring_{0.24, 0.58};
    QEasingCurve curve_;
    double value_ = 0;
    double target_ = 0;
    double from_ = 0;
    double startTime_ = 0;
    double lastTime_ = 0;
    bool running_ = false;
};

}  // namespace kestrine
