#pragma once

#include <algorithm>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <utility>

#include "app/AppModel.h"
#include "core/scan/BackgroundExecutor.h"
#include "tests/core/system/DockFixtures.h"

namespace kestrine::testing {

/// A flush scheduler on a clock that only moves when the test says so.
class ManualScheduler final : public FlushScheduler {
public:
    void schedule(std::chrono::milliseconds delay, std::function<void()> action) override {
        deadline_ = now_ + delay;
        action_ = std::move(action);
        ++scheduled;
    }
    void cancel() override { action_ = nullptr; }
    bool isScheduled() const override { return static_cast<bool>(action_); }

    /// Moves the clock forward, running the action when its moment comes.
    void advance(std::chrono::milliseconds by) {
        now_ += by;
        if (action_ && now_ >= deadline_) {
            auto action = std::exchange(action_, nullptr);
            action();
        }
    }
    int scheduled = 0;

private:
    std::chrono::milliseconds now_{0};
    std::chrono::milliseconds deadline_{0};
    std::function<void()> action_;
};

/// Background jobs and main-thread posts that wait in queues until the test runs them.
struct ManualExecutors {
    struct Background final : BackgroundExecutor {
        std::deque<std::pair<Job, std::stop_source>> jobs;
        std::stop_source run(Job job) override {
            std::stop_source source;
            jobs.emplace_back(std::move(job), source);
            return source;
        }
    };
    std::shared_ptr<Background> background = std::make_shared<Background>();
    std::shared_ptr<std::deque<std::function<void()>>> posted = std::make_shared<std::deque<std::function<void()>>>();

    AppScanSession::MainThreadPoster poster() {
        auto queue = posted;
        return [queue](std::function<void()> f) { queue->push_back(std::move(f)); };
    }
    /// Runs every queued background job, then every main-thread post.
    void drain() {
        while (!background->jobs.empty()) {
            auto [job, source] = std::move(background->jobs.front());
            background->jobs.pop_front();
            job(source.get_token());
        }
        while (!posted->empty()) {
            auto f = std::move(posted->front());
            posted->pop_front();
            f();
        }
    }
};

/// An AppModel over the recording fakes of the Dock ports.
struct ModelFixture {
    std::shared_ptr<FakeSystem> system = std::make_shared<FakeSystem>();
    ManualScheduler* scheduler = nullptr;
    ManualExecutors executors;
    std::vector<PresetApp> installed;
    std::unique_ptr<AppModel> model;

    std::unique_ptr<AppModel> build() {
        auto s = std::make_unique<ManualScheduler>();
        scheduler = s.get();
        auto apps = &installed;
        auto session = std::make_unique<AppScanSession>([apps](std::stop_token) { return *apps; },
                                                        executors.background, executors.poster());
        DockPorts ports{std::make_unique<FakePreferences>(system), std::make_unique<FakeRestarter>(system),
                        std::make_unique<FakeBackups>(system), std::make_unique<FakeStorage>(system)};
        return std::make_unique<AppModel>(std::move(ports), std::move(s), std::move(session));
    }

    /// Counts Dock writes in the call log.
    int dockWrites() const { return int(std::count(system->log.calls.begin(), system->log.calls.end(), "setPersistentApps")); }
};

} // namespace kestrine::testing
