// The application's flush scheduler: a new request replaces the pending one and restarts the wait.
#include "app/FlushScheduler.h"

#include <QTest>

#include <gtest/gtest.h>

namespace kestrine {
namespace {

using namespace std::chrono_literals;

TEST(QtFlushScheduler, ANewRequestReplacesThePendingOneAndRestartsTheWait) {
    QtFlushScheduler scheduler;
    std::vector<char> ran;
    scheduler.schedule(1h, [&] { ran.push_back('a'); });
    scheduler.schedule(0ms, [&] { ran.push_back('b'); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return !ran.empty(); }, 10000));
    EXPECT_EQ(ran, std::vector<char>{'b'});
    EXPECT_FALSE(scheduler.isScheduled());

    scheduler.schedule(0ms, [&] { ran.push_back('c'); });
    scheduler.cancel();
    EXPECT_FALSE(scheduler.isScheduled());
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, std::vector<char>{'b'});
}

}  // namespace
}  // namespace kestrine
