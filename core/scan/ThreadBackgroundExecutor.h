#pragma once

#include "core/scan/BackgroundExecutor.h"

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace kestrine {

/// Runs each job on a thread of its own (std::jthread); the returned stop source is the
/// thread's. Threads that have finished are joined on the next run(); destroying the
/// executor asks the jobs still running to stop and waits for them.
class ThreadBackgroundExecutor final : public BackgroundExecutor {
public:
    ThreadBackgroundExecutor() = default;
    ~ThreadBackgroundExecutor() override;
    ThreadBackgroundExecutor(const ThreadBackgroundExecutor&) = delete;
    ThreadBackgroundExecutor& operator=(const ThreadBackgroundExecutor&) = delete;

    /// Throws std::system_error when no thread can be started.
    std::stop_source run(Job job) override;

private:
    struct Worker {
        std::jthread thread;
        std::shared_ptr<std::atomic<bool>> done;
    };

    void joinFinished();

    std::mutex mutex_;
    std::vector<Worker> workers_;
};

} // namespace kestrine
