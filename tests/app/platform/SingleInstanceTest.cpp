#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <future>

#include "app/platform/linux/SingleInstance.h"
#include "tests/core/support/TempFolder.h"

using namespace kestrine;
using namespace std::chrono_literals;
using Role = SingleInstance::Role;
namespace fs = std::filesystem;

namespace {

/// Waits, serving the socket meanwhile, for a start run on another thread as a second process would.
template <typename Result>
Result answer(std::future<Result>& start) {
    EXPECT_TRUE(QTest::qWaitFor([&] { return start.wait_for(0s) == std::future_status::ready; }, 30000)) << "never finished";
    return start.get();
}

struct SingleInstanceTest : ::testing::Test {
    kestrine::testing::TempFolder root;
};

// A crashed run left its socket file behind; the lock holder replaces it once it listens, and
// answers the one message that asks it to reopen.
TEST_F(SingleInstanceTest, TheLockHolderRunsAndLaterStartsAskItToReopenUntilItEnds) {
    std::ofstream(root / SingleInstance::socketName) << "left over";
    auto first = std::make_unique<SingleInstance>(root.path());
    EXPECT_EQ(first->claim(), Role::primary);
    EXPECT_TRUE(fs::exists(first->lockPath()));
    QSignalSpy reopened(first.get(), &SingleInstance::reopenRequested);
    {
        SingleInstance second(root.path());
        EXPECT_EQ(second.claim(), Role::secondary);
        EXPECT_EQ(second.claim(), Role::secondary) << "asking again while it runs";
        EXPECT_FALSE(second.listen());
        EXPECT_FALSE(second.sendReopen(100ms)) << "nobody answers before the holder listens";
        EXPECT_FALSE(second.problem().empty());
        ASSERT_TRUE(first->listen()) << first->problem();
        EXPECT_TRUE(first->isListening());
        auto reopen = std::async(std::launch::async, [&] { return second.sendReopen(5s); });
        EXPECT_TRUE(answer(reopen)) << second.problem();
        EXPECT_TRUE(QTest::qWaitFor([&] { return reopened.count() == 1; }, 10000));
    }
    for (const QByteArray& message : {QByteArray("reopen please\n"), QByteArray(200, 'x'), QByteArray("REOPEN\n")}) {
        QLocalSocket client;
        client.connectToServer(QString::fromStdString(first->socketPath().string()));
        ASSERT_TRUE(client.waitForConnected(5000));
        client.write(message);
        client.flush();
        // The server hangs up on anything but the one message.
        EXPECT_TRUE(QTest::qWaitFor([&] { return client.state() == QLocalSocket::UnconnectedState; }, 10000));
    }
    EXPECT_EQ(reopened.count(), 1);
    first.reset();
    EXPECT_FALSE(fs::exists(root / SingleInstance::socketName));
    EXPECT_EQ(SingleInstance(root.path()).claim(), Role::primary);
}

// The running instance while it quits: a real process holds the lock, and the socket takes the
// connection but nobody answers. Once a later start has knocked, the instance ends; that start
// must then become the running instance instead of giving up.
TEST_F(SingleInstanceTest, AStartWhileTheRunningOneQuitsTakesOverOnceItHasEnded) {
    QProcess holder;
    holder.start("flock", {QString::fromStdString((root / SingleInstance::lockName).string()), "sh", "-c", "echo held; exec cat"});
    ASSERT_TRUE(holder.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return holder.canReadLine(); }, 10000)) << "flock never took the lock";
    QLocalServer quitting;
    ASSERT_TRUE(quitting.listen(QString::fromStdString((root / SingleInstance::socketName).string())));

    SingleInstance later(root.path());
    EXPECT_EQ(later.claimOrReopen(100ms), SingleInstance::Start::unanswered) << "the limit holds while it runs";
    EXPECT_FALSE(later.problem().empty());
    ASSERT_TRUE(QTest::qWaitFor([&] { return quitting.hasPendingConnections(); }, 10000));
    while (QLocalSocket* knock = quitting.nextPendingConnection()) delete knock;

    auto start = std::async(std::launch::async, [&] { return later.claimOrReopen(20s); });
    EXPECT_TRUE(QTest::qWaitFor([&] { return quitting.hasPendingConnections(); }, 10000)) << "it first asks the running one";
    quitting.close();
    holder.closeWriteChannel(); // cat ends, flock releases the lock
    EXPECT_EQ(answer(start), SingleInstance::Start::run);
    EXPECT_EQ(later.role(), Role::primary);
    holder.waitForFinished(10000);
}

TEST_F(SingleInstanceTest, AMissingFolderIsMadeAndAnUnusableOneLeavesTheProgramUnguarded) {
    EXPECT_EQ(SingleInstance(root / "new" / "run").claim(), Role::primary);
    std::ofstream(root / "not-a-folder") << "";
    SingleInstance instance(root / "not-a-folder" / "run");
    EXPECT_EQ(instance.claim(), Role::unguarded);
    EXPECT_FALSE(instance.problem().empty());
}

TEST_F(SingleInstanceTest, TheRuntimeFolderIsUsedWhenItExistsElseTheSupportFolder) {
    const fs::path support = root / "support";
    const std::pair<std::optional<std::string>, fs::path> rows[] = {
        {root.path().string(), root.path()}, {std::nullopt, support}, {"", support},
        {"relative/run", support}, {(root / "missing").string(), support},
    };
    for (const auto& row : rows) {
        auto environment = [&](const std::string& name) { return name == "XDG_RUNTIME_DIR" ? row.first : std::nullopt; };
        EXPECT_EQ(SingleInstance::defaultDirectory(environment, support), row.second) << row.first.value_or("(unset)");
    }
}

} // namespace
