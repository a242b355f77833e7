#include "core/scan/ThreadBackgroundExecutor.h"

#include <algorithm>

namespace kestrine {

ThreadBackgroundExecutor::~ThreadBackgroundExecutor() {
    std::vector<Worker> workers;
    {
        std::lock_guard lock(mutex_);
        workers.swap(workers_);
    }
    for (Worker& worker : workers) worker.thread.request_stop();
    // Each std::jthread joins as it is destroyed.
}

void ThreadBackgroundExecutor::joinFinished() {
    std::vector<Worker> finished;
    {
        std::lock_guard lock(mutex_);
        auto split = std::stable_partition(workers_.begin(), workers_.end(),
                                           [](const Worker& w) { return !w.done->load(std::memory_order_acquire); });
        std::move(split, workers_.end(), std::back_inserter(finished));
        workers_.erase(split, workers_.end());
    }
    // A finished job has at most its last statement left; joining waits only for that.
}

std::stop_source ThreadBackgroundExecutor::run(Job job) {
    joinFinished();
    auto done = std::make_shared<std::atomic<bool>>(false);
    std::jthread thread([job = std::move(job), done](std::stop_token stop) mutable {
        try {
            job(stop);
        } catch (...) {
            // A job's failure stays inside its thread.
        }
        job = nullptr;
        done->store(true, std::memory_order_release);
    });
    std::stop_source source = thread.get_stop_source();
    std::lock_guard lock(mutex_);
    workers_.push_back(Worker{std::move(thread), std::move(done)});
    return source;
}

} // namespace kestrine
