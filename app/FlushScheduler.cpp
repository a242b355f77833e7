#include "app/FlushScheduler.h"

#include <QTimer>

namespace kestrine {

QtFlushScheduler::QtFlushScheduler() : timer_(std::make_unique<QTimer>()) {
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_.get(), &QTimer::timeout, [this] {
        auto action = std::move(action_);
        action_ = nullptr;
        if (action) action();
    });
}

QtFlushScheduler::~QtFlushScheduler() = default;

void QtFlushScheduler::schedule(std::chrono::milliseconds delay, std::function<void()> action) {
    action_ = std::move(action);
    timer_->start(delay);
}

void QtFlushScheduler::cancel() {
    timer_->stop();
    action_ = nullptr;
}

bool QtFlushScheduler::isScheduled() const { return timer_->isActive(); }

} // namespace kestrine
