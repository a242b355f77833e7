#include "core/scan/AppScanSession.h"
#include "core/scan/ThreadBackgroundExecutor.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <stdexcept>

using namespace kestrine;

namespace {

// Holds jobs until the test runs them, each with a stop source of its own.
class ManualExecutor : public BackgroundExecutor {
public:
    struct Pending {
        Job job;
        std::stop_source source;
    };

    std::stop_source run(Job job) override {
        if (refuse) throw std::runtime_error("no thread available");
        pending.push_back(Pending{std::move(job), std::stop_source()});
        return pending.back().source;
    }

    // Runs the job started `index`-th among those still waiting; returns its stop token.
    std::stop_token runJob(std::size_t index = 0) {
        Pending p = std::move(pending.at(index));
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(index));
        p.job(p.source.get_token());
        return p.source.get_token();
    }

    std::deque<Pending> pending;
    bool refuse = false;
};

// Runs each job at once, on the calling thread.
class InlineExecutor : public BackgroundExecutor {
public:
    std::stop_source run(Job job) override {
        std::stop_source source;
        job(source.get_token());
        return source;
    }
};

struct MainQueue {
    std::deque<std::function<void()>> actions;

    AppScanSession::MainThreadPoster poster() {
        return [this](std::function<void()> action) { actions.push_back(std::move(action)); };
    }
    void drain() {
        while (!actions.empty()) {
            auto action = std::move(actions.front());
            actions.pop_front();
            action();
        }
    }
};

PresetApp app(const std::string& name) { return PresetApp("id." + name, "/Applications/" + name + ".app", name); }

// A scan returning the next prepared list on each call (in the order the calls happen) and remembering the tokens it saw.
struct ScriptedScan {
    std::vector<std::vector<PresetApp>> results;
    std::vector<std::stop_token> tokens;

    AppScanSession::ScanFunction function() {
        return [this](std::stop_token stop) {
            tokens.push_back(stop);
            auto index = tokens.size() - 1;
            return index < results.size() ? results[index] : std::vector<PresetApp>{};
        };
    }
};

class AppScanSessionTest : public ::testing::Test {
protected:
    void SetUp() override {
        executor = std::make_shared<ManualExecutor>();
        session = std::make_unique<AppScanSession>(scan.function(), executor, main.poster());
        session->onChange = [this] { ++changes; };
    }

    ScriptedScan scan;
    std::shared_ptr<ManualExecutor> executor;
    MainQueue main;
    std::unique_ptr<AppScanSession> session;
    int changes = 0;
};

TEST_F(AppScanSessionTest, StartScansOnceAndDeliversOnTheMainThread) {
    scan.results = {{app("Safari"), app("Mail")}};
    session->start();
    session->start();
    EXPECT_EQ(executor->pending.size(), 1u);
    EXPECT_EQ(changes, 1);
    EXPECT_TRUE(session->isScanning());
    EXPECT_TRUE(session->apps().empty());

    executor->runJob();
    // The result travels through the main queue: nothing changes before it runs there.
    EXPECT_TRUE(session->isScanning());
    EXPECT_TRUE(session->apps().empty());
    ASSERT_EQ(main.actions.size(), 1u);
    main.drain();
    EXPECT_FALSE(session->isScanning());
    EXPECT_EQ(session->apps(), scan.results[0]);
    EXPECT_EQ(changes, 2);

    // A held result is kept: no new scan until released.
    session->start();
    EXPECT_TRUE(executor->pending.empty());
    EXPECT_EQ(changes, 2);
}

TEST_F(AppScanSessionTest, ReleaseDuringAScanStopsItAndItsResultIsIgnoredWhenEverItArrives) {
    scan.results = {{app("Old")}, {app("New")}};
    session->start();
    session->release();
    EXPECT_EQ(changes, 2);
    EXPECT_FALSE(session->isScanning());
    session->start();
    EXPECT_EQ(changes, 3);
    ASSERT_EQ(executor->pending.size(), 2u);

    auto firstToken = executor->runJob(0);
    EXPECT_TRUE(firstToken.stop_requested());
    main.drain();
    EXPECT_TRUE(session->isScanning()) << "the stale result must not complete the new scan";
    EXPECT_TRUE(session->apps().empty());
    EXPECT_EQ(changes, 3);

    auto secondToken = executor->runJob(0);
    EXPECT_FALSE(secondToken.stop_requested());
    main.drain();
    EXPECT_EQ(session->apps(), std::vector<PresetApp>{app("New")});
    EXPECT_EQ(changes, 4);

    // The other way round: the newer scan finishes first, the stale result arrives last.
    // Results are handed out in the order the scans run.
    scan.results = {{}, {}, {app("Newer")}, {app("Stale")}};
    session->release();
    session->start();
    session->release();
    session->start();
    executor->runJob(1);
    main.drain();
    executor->runJob(0);
    main.drain();
    EXPECT_EQ(session->apps(), std::vector<PresetApp>{app("Newer")});
    EXPECT_FALSE(session->isScanning());
    EXPECT_EQ(changes, 9);
}

TEST_F(AppScanSessionTest, AnEmptyResultIsAResultAndReleaseNotifiesOnlyVisibleChanges) {
    session->release();
    EXPECT_EQ(changes, 0);

    session->start();
    executor->runJob();
    main.drain();
    EXPECT_FALSE(session->isScanning());
    EXPECT_TRUE(session->apps().empty());
    EXPECT_EQ(changes, 2);
    session->start();
    EXPECT_TRUE(executor->pending.empty()) << "an empty result is held like any other";
    session->release();
    EXPECT_EQ(changes, 3) << "releasing a finished scan is visible even with no apps";
    session->release();
    EXPECT_EQ(changes, 3);
}

TEST_F(AppScanSessionTest, AResultArrivingAfterTheSessionIsGoneIsDropped) {
    scan.results = {{app("Safari")}};
    session->start();
    session.reset();
    auto token = executor->runJob();
    EXPECT_FALSE(token.stop_requested()) << "destroying the session leaves the scan running";
    ASSERT_EQ(main.actions.size(), 1u);
    main.drain(); // must not touch the destroyed session
    EXPECT_EQ(changes, 1);
}

TEST_F(AppScanSessionTest, AThrowingScanEndsWithNoAppsAndAnExecutorThatCannotStartLeavesTheSessionIdle) {
    session = std::make_unique<AppScanSession>(
        [](std::stop_token) -> std::vector<PresetApp> { throw std::runtime_error("disk gone"); }, executor,
        main.poster());
    session->onChange = [this] { ++changes; };
    session->start();
    executor->runJob();
    main.drain();
    EXPECT_FALSE(session->isScanning());
    EXPECT_TRUE(session->apps().empty());
    EXPECT_EQ(changes, 2);

    session->release();
    executor->refuse = true;
    session->start();
    EXPECT_FALSE(session->isScanning());
    EXPECT_EQ(changes, 3) << "only the release was visible";
    executor->refuse = false;
    session->start();
    EXPECT_TRUE(session->isScanning()) << "a later start tries again";
    EXPECT_EQ(executor->pending.size(), 1u);
}

TEST_F(AppScanSessionTest, ActionsRunningAtOnceStillLeaveAConsistentSession) {
    // An executor and a poster that both run at once deliver before start() returns.
    std::vector<std::pair<bool, std::size_t>> seen;
    AppScanSession eager([](std::stop_token) { return std::vector<PresetApp>{app("Now")}; },
                         std::make_shared<InlineExecutor>(), [](std::function<void()> action) { action(); });
    eager.onChange = [&] { seen.emplace_back(eager.isScanning(), eager.apps().size()); };
    eager.start();
    EXPECT_FALSE(eager.isScanning());
    EXPECT_EQ(eager.apps().size(), 1u);
    ASSERT_FALSE(seen.empty());
    EXPECT_EQ(seen.back(), std::make_pair(false, std::size_t{1}));
    eager.start(); // a result is held
    EXPECT_EQ(eager.apps().size(), 1u);
}

TEST_F(AppScanSessionTest, OnChangeMayReleaseTheSessionItIsTold) {
    scan.results = {{app("Books")}};
    session->onChange = [this] {
        ++changes;
        if (!session->isScanning() && !session->apps().empty()) session->release();
    };
    session->start();
    executor->runJob();
    main.drain();
    EXPECT_TRUE(session->apps().empty());
    EXPECT_FALSE(session->isScanning());
    EXPECT_EQ(changes, 3);
    session->start();
    EXPECT_EQ(executor->pending.size(), 1u);
}

TEST(AppScanSessionConstruction, RejectsMissingParts) {
    auto scan = [](std::stop_token) { return std::vector<PresetApp>{}; };
    auto post = [](std::function<void()>) {};
    auto executor = std::make_shared<InlineExecutor>();
    EXPECT_THROW(AppScanSession(nullptr, executor, post), std::invalid_argument);
    EXPECT_THROW(AppScanSession(scan, nullptr, post), std::invalid_argument);
    EXPECT_THROW(AppScanSession(scan, executor, nullptr), std::invalid_argument);
}

// A main-thread queue fed from other threads.
class ThreadSafeQueue {
public:
    AppScanSession::MainThreadPoster poster() {
        return [this](std::function<void()> action) {
            {
                std::lock_guard lock(mutex_);
                actions_.push_back(std::move(action));
            }
            ready_.notify_all();
        };
    }
    // Waits until an action has been posted, then runs it here.
    void runNext() {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return !actions_.empty(); });
        auto action = std::move(actions_.front());
        actions_.pop_front();
        lock.unlock();
        action();
    }

private:
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::function<void()>> actions_;
};

TEST(AppScanSessionThreads, ScansOnAnotherThreadDeliversHereAndReleaseStopsTheScanThroughItsToken) {
    ThreadSafeQueue main;
    std::promise<std::thread::id> scannedOn;
    std::promise<void> waiting;
    int calls = 0; // scans run one after the other
    AppScanSession session(
        [&](std::stop_token stop) {
            if (++calls == 1) {
                scannedOn.set_value(std::this_thread::get_id());
                return std::vector<PresetApp>{app("Calendar")};
            }
            std::mutex mutex;
            std::condition_variable_any wake;
            std::unique_lock lock(mutex);
            waiting.set_value();
            wake.wait(lock, stop, [] { return false; }); // returns only once a stop is requested
            return std::vector<PresetApp>{app("Late")};
        },
        std::make_shared<ThreadBackgroundExecutor>(), main.poster());
    int changes = 0;
    session.onChange = [&] { ++changes; };
    session.start();
    main.runNext();
    EXPECT_NE(scannedOn.get_future().get(), std::this_thread::get_id());
    EXPECT_EQ(session.apps(), std::vector<PresetApp>{app("Calendar")});
    EXPECT_FALSE(session.isScanning());
    EXPECT_EQ(changes, 2);

    session.release();
    session.start();
    waiting.get_future().wait();
    session.release();
    main.runNext(); // the stopped scan still posts its result, which is dropped
    EXPECT_TRUE(session.apps().empty());
    EXPECT_FALSE(session.isScanning());
}

TEST(ThreadBackgroundExecutorTest, DestroyingTheExecutorStopsAndWaitsForItsJobs) {
    std::atomic<int> finished{0};
    std::promise<void> started;
    {
        ThreadBackgroundExecutor executor;
        executor.run([&](std::stop_token) { throw std::runtime_error("a failing job stays in its thread"); });
        executor.run([&](std::stop_token stop) {
            std::mutex mutex;
            std::condition_variable_any wake;
            std::unique_lock lock(mutex);
            started.set_value();
            wake.wait(lock, stop, [] { return false; });
            ++finished;
        });
        started.get_future().wait();
    }
    EXPECT_EQ(finished.load(), 1);
}

} // namespace
