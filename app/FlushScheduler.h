#pragma once

#include <chrono>
#include <functional>
#include <memory>

class QTimer;

namespace kestrine {

/// One deferred action on the main thread at a time: scheduling replaces the action
/// that is waiting, and cancelling drops it.
class FlushScheduler {
public:
    virtual ~FlushScheduler() = default;
    virtual void schedule(std::chrono::milliseconds delay, std::function<void()> action) = 0;
    virtual void cancel() = 0;
    virtual bool isScheduled() const = 0;
};

/// The scheduler of the running application, on a single-shot QTimer.
class QtFlushScheduler final : public FlushScheduler {
public:
    QtFlushScheduler();
    ~QtFlushScheduler() override;
    void schedule(std::chrono::milliseconds delay, std::function<void()> action) override;
    void cancel() override;
    bool isScheduled() const override;

private:
    std::unique_ptr<QTimer> timer_;
    std::function<void()> action_;
};

} // namespace kestrine
