#include "core/scan/AppScanSession.h"
#include "core/scan/ThreadBackgroundExecutor.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <future>
#include <sstream>
#include <stdexcept>

using namespace kestrine;

namespace {

// Holds jobs until the test runs them, each with a stop source of its own; or runs each at once.
struct ManualExecutor : BackgroundExecutor {
    std::stop_source run(Job job) override {
        if (refuse) throw std::runtime_error("no thread available");
        pending.push_back({std::move(job), std::stop_source()});
        auto source = pending.back().second;
        if (atOnce) runJob(pending.size() - 1);
        return source;
    }
    // Runs the job started `index`-th among those still waiting; returns its stop token.
    std::stop_token runJob(std::size_t index) {
        auto [job, source] = std::move(pending.at(index));
        pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(index));
        job(source.get_token());
        return source.get_token();
    }
    std::deque<std::pair<Job, std::stop_source>> pending;
    bool refuse = false, atOnce = false;
};

PresetApp app(const std::string& name) { return PresetApp("id." + name, "/Applications/" + name + ".app", name); }
using Apps = std::vector<PresetApp>;

struct AppScanSessionTest : ::testing::Test {
    std::vector<Apps> results; // what the scans return, in the order they run
    std::size_t scans = 0;
    std::shared_ptr<ManualExecutor> executor = std::make_shared<ManualExecutor>();
    std::deque<std::function<void()>> posted; // the main thread's queue
    int changes = 0;
    std::string ran; // per job run: "s" when its stop was requested, else "-"
    std::unique_ptr<AppScanSession> session =
        make([this](std::stop_token) { return scans < results.size() ? results[scans++] : Apps{}; });

    std::unique_ptr<AppScanSession> make(AppScanSession::ScanFunction scan) {
        auto made = std::make_unique<AppScanSession>(std::move(scan), executor,
                                                     [this](std::function<void()> action) { posted.push_back(std::move(action)); });
        made->onChange = [this] { ++changes; };
        return made;
    }
    // What the session shows, the changes it told of, the jobs waiting and the results posted.
    std::string state() const {
        std::string out = !session ? "gone" : session->isScanning() ? "scanning" : "idle";
        for (const auto& a : session ? session->apps() : Apps{}) out += " " + a.name;
        return out + " changes=" + std::to_string(changes) + " jobs=" + std::to_string(executor->pending.size()) +
               " posted=" + std::to_string(posted.size()) + " ran=" + ran;
    }
    // Each step: actions (start, release, run<job>, drain, refuse, accept, destroy), then the state after them.
    void steps(std::initializer_list<std::pair<const char*, const char*>> list) {
        for (auto [actions, expected] : list) {
            std::istringstream in(actions);
            for (std::string a; in >> a;) {
                if (a == "start") session->start();
                else if (a == "release") session->release();
                else if (a == "destroy") session.reset();
                else if (a == "refuse" || a == "accept") executor->refuse = a == "refuse";
                else if (a.starts_with("run")) ran += executor->runJob(std::stoul(a.substr(3))).stop_requested() ? "s" : "-";
                else if (a == "drain") for (; !posted.empty(); posted.pop_front()) posted.front()();
                else FAIL() << "no action " << a;
            }
            EXPECT_EQ(state(), expected) << actions;
        }
    }
};

TEST_F(AppScanSessionTest, StartScansOnceDeliversOnTheMainThreadAndHoldsAnyResultUntilReleased) {
    results = {{app("Safari"), app("Mail")}, {}};
    steps({{"start start", "scanning changes=1 jobs=1 posted=0 ran="},
           {"run0", "scanning changes=1 jobs=0 posted=1 ran=-"}, // nothing changes before the result reaches the main thread
           {"drain start", "idle Safari Mail changes=2 jobs=0 posted=0 ran=-"},
           {"release release", "idle changes=3 jobs=0 posted=0 ran=-"},
           {"start run0 drain start", "idle changes=5 jobs=0 posted=0 ran=--"}, // an empty result is held too
           {"release release", "idle changes=6 jobs=0 posted=0 ran=--"}}); // releasing it is visible, once
}

TEST_F(AppScanSessionTest, ReleaseDuringAScanStopsItAndItsResultIsIgnoredWhenEverItArrives) {
    results = {{app("Old")}, {app("New")}, {app("Newer")}, {app("Stale")}};
    steps({{"release", "idle changes=0 jobs=0 posted=0 ran="}, // nothing visible to release
           {"start release start", "scanning changes=3 jobs=2 posted=0 ran="},
           {"run0 drain", "scanning changes=3 jobs=1 posted=0 ran=s"}, // the stale result does not complete the new scan
           {"run0 drain", "idle New changes=4 jobs=0 posted=0 ran=s-"},
           // The other way round: the newer scan finishes first, the stale result arrives last.
           {"release start release start run1 drain run0 drain", "idle Newer changes=9 jobs=0 posted=0 ran=s--s"}});
}

TEST_F(AppScanSessionTest, AResultArrivingAfterTheSessionIsGoneIsDroppedAndTheScanIsNotStopped) {
    results = {{app("Safari")}};
    steps({{"start destroy run0", "gone changes=1 jobs=0 posted=1 ran=-"}, {"drain", "gone changes=1 jobs=0 posted=0 ran=-"}});
}

TEST_F(AppScanSessionTest, AThrowingScanEndsWithNoAppsAndAnExecutorThatCannotStartLeavesTheSessionIdle) {
    session = make([](std::stop_token) -> Apps { throw std::runtime_error("disk gone"); });
    steps({{"start run0 drain", "idle changes=2 jobs=0 posted=0 ran=-"},
           {"release refuse start", "idle changes=3 jobs=0 posted=0 ran=-"}, // only the release was visible
           {"accept start", "scanning changes=4 jobs=1 posted=0 ran=-"}});   // a later start tries again
}

TEST_F(AppScanSessionTest, OnChangeMayReleaseTheSessionItIsTold) {
    results = {{app("Books")}};
    session->onChange = [this] {
        ++changes;
        if (!session->isScanning() && !session->apps().empty()) session->release();
    };
    steps({{"start run0 drain", "idle changes=3 jobs=0 posted=0 ran=-"}, {"start", "scanning changes=4 jobs=1 posted=0 ran=-"}});
}

TEST_F(AppScanSessionTest, ActionsRunningAtOnceStillLeaveAConsistentSession) {
    // An executor and a poster that both run at once deliver before start() returns.
    executor->atOnce = true;
    std::vector<std::string> seen;
    session = std::make_unique<AppScanSession>([](std::stop_token) { return Apps{app("Now")}; }, executor,
                                               [](std::function<void()> action) { action(); });
    session->onChange = [&] { seen.push_back(state()); };
    steps({{"start start", "idle Now changes=0 jobs=0 posted=0 ran="}});
    EXPECT_EQ(seen, std::vector<std::string>{"idle Now changes=0 jobs=0 posted=0 ran="});
}

TEST_F(AppScanSessionTest, ConstructionRejectsMissingParts) {
    auto scan = [](std::stop_token) { return Apps{}; };
    auto post = [](std::function<void()>) {};
    EXPECT_THROW(AppScanSession(nullptr, executor, post), std::invalid_argument);
    EXPECT_THROW(AppScanSession(scan, nullptr, post), std::invalid_argument);
    EXPECT_THROW(AppScanSession(scan, executor, nullptr), std::invalid_argument);
}

TEST(ThreadBackgroundExecutorTest, RunsEachJobOnAThreadOfItsOwnAndOnDestructionStopsAndWaitsForThem) {
    std::promise<std::thread::id> ranOn;
    std::atomic<int> finished{0};
    {
        ThreadBackgroundExecutor executor;
        executor.run([](std::stop_token) { throw std::runtime_error("a failing job stays in its thread"); });
        executor.run([&](std::stop_token stop) {
            std::mutex mutex;
            std::condition_variable_any wake;
            std::unique_lock lock(mutex);
            ranOn.set_value(std::this_thread::get_id());
            wake.wait(lock, stop, [] { return false; }); // returns only once a stop is requested
            ++finished;
        });
        EXPECT_NE(ranOn.get_future().get(), std::this_thread::get_id());
    }
    EXPECT_EQ(finished.load(), 1);
}

} // namespace
