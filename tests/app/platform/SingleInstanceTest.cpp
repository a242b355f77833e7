#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "app/platform/linux/SingleInstance.h"

using namespace kestrine;
using namespace std::chrono_literals;
namespace fs = std::filesystem;

namespace {

class SingleInstanceTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/kestrine-si-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        root = pattern;
    }
    void TearDown() override { fs::remove_all(root); }

    // Runs `sendReopen` on another thread while this one serves the socket, as a second process
    // would; gives up after ten seconds.
    bool reopenFromAnotherStart(SingleInstance& client, std::chrono::milliseconds timeout = 5s) {
        std::atomic<bool> done = false;
        bool result = false;
        std::thread other([&] {
            result = client.sendReopen(timeout);
            done = true;
        });
        EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 10000)) << "the other start never finished";
        other.join();
        return result;
    }

    fs::path root;
};

TEST_F(SingleInstanceTest, TheFirstStartHoldsTheLockUntilItEndsAndLaterStartsAreSecondary) {
    auto first = std::make_unique<SingleInstance>(root / "run");
    EXPECT_EQ(first->claim(), SingleInstance::Role::primary);
    EXPECT_TRUE(fs::exists(first->lockPath()));
    ASSERT_TRUE(first->listen());
    {
        SingleInstance second(root / "run");
        EXPECT_EQ(second.claim(), SingleInstance::Role::secondary);
        EXPECT_EQ(second.claim(), SingleInstance::Role::secondary) << "asking again while it runs";
        EXPECT_FALSE(second.listen());
    }
    first.reset();
    EXPECT_FALSE(fs::exists(root / "run" / SingleInstance::socketName));
    SingleInstance next(root / "run");
    EXPECT_EQ(next.claim(), SingleInstance::Role::primary);
}

TEST_F(SingleInstanceTest, ASecondStartAsksTheRunningOneToReopen) {
    SingleInstance running(root);
    ASSERT_EQ(running.claim(), SingleInstance::Role::primary);
    ASSERT_TRUE(running.listen()) << running.problem();
    QSignalSpy reopened(&running, &SingleInstance::reopenRequested);

    SingleInstance later(root);
    ASSERT_EQ(later.claim(), SingleInstance::Role::secondary);
    EXPECT_TRUE(reopenFromAnotherStart(later)) << later.problem();
    EXPECT_TRUE(QTest::qWaitFor([&] { return reopened.count() == 1; }, 10000));
}

TEST_F(SingleInstanceTest, AStaleSocketIsReplacedOnlyByTheLockHolder) {
    // A crashed run left its socket file behind.
    {
        std::ofstream stale(root / SingleInstance::socketName);
        stale << "left over";
    }
    SingleInstance other(root);
    SingleInstance running(root);
    ASSERT_EQ(running.claim(), SingleInstance::Role::primary);
    ASSERT_EQ(other.claim(), SingleInstance::Role::secondary);
    ASSERT_TRUE(running.listen()) << running.problem();
    EXPECT_TRUE(running.isListening());
    EXPECT_TRUE(reopenFromAnotherStart(other)) << other.problem();
}

TEST_F(SingleInstanceTest, ReopeningFailsWhenNobodyAnswers) {
    // The lock is held but nobody listens (the holder hangs before listening).
    SingleInstance silent(root);
    ASSERT_EQ(silent.claim(), SingleInstance::Role::primary);
    SingleInstance later(root);
    ASSERT_EQ(later.claim(), SingleInstance::Role::secondary);
    EXPECT_FALSE(later.sendReopen(100ms));
    EXPECT_FALSE(later.problem().empty());
}

// The running instance while it quits: a real process holds the lock, and the socket takes the
// connection but nobody answers. Once a later start has knocked, the instance ends; that start
// must then become the running instance instead of giving up.
TEST_F(SingleInstanceTest, AStartWhileTheRunningOneQuitsTakesOverOnceItHasEnded) {
    QProcess holder;
    holder.start("flock", {QString::fromStdString((root / SingleInstance::lockName).string()), "sh", "-c",
                           "echo held; exec cat"});
    ASSERT_TRUE(holder.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return holder.canReadLine(); }, 10000)) << "flock never took the lock";
    QLocalServer quitting;
    ASSERT_TRUE(quitting.listen(QString::fromStdString((root / SingleInstance::socketName).string())));

    SingleInstance later(root);
    EXPECT_EQ(later.claimOrReopen(100ms), SingleInstance::Start::unanswered) << "the limit holds while it runs";
    EXPECT_FALSE(later.problem().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return quitting.hasPendingConnections(); }, 10000));
    while (QLocalSocket* knock = quitting.nextPendingConnection()) delete knock;

    std::atomic<bool> done = false;
    SingleInstance::Start result{};
    std::thread start([&] {
        result = later.claimOrReopen(20s);
        done = true;
    });
    const bool knocked = QTest::qWaitFor([&] { return quitting.hasPendingConnections(); }, 10000);
    quitting.close();
    holder.closeWriteChannel();  // cat ends, flock releases the lock
    EXPECT_TRUE(QTest::qWaitFor([&] { return done.load(); }, 30000)) << "the later start never finished";
    start.join();
    EXPECT_TRUE(knocked) << "the later start first asked the running one";
    EXPECT_EQ(result, SingleInstance::Start::run);
    EXPECT_EQ(later.role(), SingleInstance::Role::primary);
    holder.waitForFinished(10000);
}

TEST_F(SingleInstanceTest, OtherMessagesDoNotReopen) {
    SingleInstance running(root);
    ASSERT_EQ(running.claim(), SingleInstance::Role::primary);
    ASSERT_TRUE(running.listen());
    QSignalSpy reopened(&running, &SingleInstance::reopenRequested);

    for (const QByteArray& message : {QByteArray("reopen please\n"), QByteArray(200, 'x'), QByteArray("REOPEN\n")}) {
        QLocalSocket client;
        client.connectToServer(QString::fromStdString(running.socketPath().string()));
        ASSERT_TRUE(client.waitForConnected(5000));
        client.write(message);
        client.flush();
        // The server hangs up on anything but the one message.
        EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 10000));
    }
    EXPECT_EQ(reopened.count(), 0);
}

TEST_F(SingleInstanceTest, AnUnusableFolderLeavesTheProgramUnguarded) {
    {
        std::ofstream file(root / "not-a-folder");
    }
    SingleInstance instance(root / "not-a-folder" / "run");
    EXPECT_EQ(instance.claim(), SingleInstance::Role::unguarded);
    EXPECT_FALSE(instance.problem().empty());
}

TEST_F(SingleInstanceTest, TheRuntimeFolderIsUsedWhenItExistsElseTheSupportFolder) {
    const fs::path support = root / "support";
    auto environment = [&](std::optional<std::string> runtime) {
        return [runtime](const std::string& name) -> std::optional<std::string> {
            return name == "XDG_RUNTIME_DIR" ? runtime : std::nullopt;
        };
    };
    EXPECT_EQ(SingleInstance::defaultDirectory(environment(root.string()), support), root);
    EXPECT_EQ(SingleInstance::defaultDirectory(environment(std::nullopt), support), support);
    EXPECT_EQ(SingleInstance::defaultDirectory(environment(""), support), support);
    EXPECT_EQ(SingleInstance::defaultDirectory(environment("relative/run"), support), support);
    EXPECT_EQ(SingleInstance::defaultDirectory(environment((root / "missing").string()), support), support);
}

}  // namespace
