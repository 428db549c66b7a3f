#include "platform/qt/LogindWakeNotifier.h"
#include "platform/qt/QtBackgroundQueue.h"
#include "platform/qt/QtDistributedNotificationCenter.h"
#include "platform/qt/QtMainQueue.h"
#include "setup/monitor/SD4MonitorRuntime.h"
#include "support/CoreApplicationScope.h"
#include "support/PrivateSessionBus.h"
#include "support/TemporaryFolder.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QThread>
#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

bool onMainThread() { return QThread::currentThread() == QCoreApplication::instance()->thread(); }

void processEventsUntil(const std::function<bool()>& done) {
    QDeadlineTimer deadline(10000);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
}

// A resolve that blocks its thread until the test opens the gate.
class Gate {
public:
    void open() {
        std::lock_guard lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void wait() {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return open_; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    bool open_ = false;
};

} // namespace

TEST(SD4MonitorRuntimeOnQt, ResolvesOffTheMainThreadWhileTheMainThreadKeepsHandlingEvents) {
    CoreApplicationScope application;
    PrivateSessionBus bus;
    TemporaryFolder home;
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    QuillstoneConfigurationStore(files).save(QuillstoneConfiguration{1, QuillstoneIntegration::sd4, "/data/Q"});

    const QString connectionName = QStringLiteral("quillstone-runtime-test");
    {
        QDBusConnection connection =
            QDBusConnection::connectToBus(QString::fromStdString(bus.address()), connectionName);
        ASSERT_TRUE(connection.isConnected());

        Gate gate;
        std::atomic<int> resolvesOnMainThread{0};
        std::atomic<int> resolvesStarted{0};
        std::vector<std::string> written;
        int writesOffMainThread = 0;
        std::vector<std::string> lines;
        auto resolve = [&](const SD4RunEvent& event) {
            resolvesOnMainThread += onMainThread() ? 1 : 0;
            ++resolvesStarted;
            if (event.runID == "slow") {
                gate.wait();
            }
            SD4ResolvedRun run;
            run.runID = event.runID;
            return run;
        };
        auto writeStatus = [&](const SD4RunEvent& event, const SD4ResolvedRun&, const std::filesystem::path& file) {
            writesOffMainThread += onMainThread() ? 0 : 1;
            written.push_back(event.runID + " " + file.string());
        };
        auto log = [&](const std::string& line) { lines.push_back(line); };
        auto background = std::make_shared<QtBackgroundQueue>();
        SD4MonitorRuntime::Platform platform{std::make_shared<QtDistributedNotificationCenter>(connection),
                                             std::make_shared<LogindWakeNotifier>(QDBusConnection(QString())),
                                             std::make_shared<QtMainQueue>(), background, nullptr};
        auto runtime = SD4MonitorRuntime::create(SD4MonitorRuntime::Dependencies{
            QuillstoneConfigurationStore(files), SD4RunLedger(files), SD4PendingRunStore(files, std::nullopt, log),
            resolve, writeStatus, log, platform});
        runtime->start();
        auto reply = connection.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                                                    "org.freedesktop.DBus", "GetId"));
        ASSERT_EQ(reply.type(), QDBusMessage::ReplyMessage);

        auto emitRun = [](const std::string& runID) {
            ChildProcess gdbus("/usr/bin/gdbus",
                               {"emit", "--session", "--object-path", "/", "--signal",
                                "com.shirtpocket.SuperDuper.runFinished",
                                "{'version': <1>, 'copy_job_id': <'J-" + runID + "'>, 'run_id': <'" + runID +
                                    "'>, 'outcome': <'succeeded'>, 'is_catchup': <false>, "
                                    "'ended_at_unix_nanos': <int64 1796487578000000000>}"});
            gdbus.launch();
            gdbus.waitUntilExit();
            return gdbus.terminationStatus();
        };

        ASSERT_EQ(emitRun("slow"), 0);
        processEventsUntil([&] { return resolvesStarted == 1; });
        ASSERT_EQ(resolvesStarted, 1);
        // While the first resolve blocks its thread, a second run goes all the way through.
        ASSERT_EQ(emitRun("quick"), 0);
        processEventsUntil([&] { return written.size() == 1; });
        EXPECT_EQ(written, std::vector<std::string>{"quick /data/Q/backup_status.json"});
        EXPECT_EQ(runtime->processingRunIDs(), std::set<std::string>{"slow"});

        gate.open();
        processEventsUntil([&] { return written.size() == 2; });
        EXPECT_EQ(written.back(), "slow /data/Q/backup_status.json");
        EXPECT_EQ(resolvesOnMainThread, 0);
        EXPECT_EQ(writesOffMainThread, 0);
        EXPECT_TRUE(runtime->pendingRuns().pendingEvents().empty());
        EXPECT_EQ(lines.back(), "status written for: slow");

        runtime->stop();
        runtime.reset();
    }
    QDBusConnection::disconnectFromBus(connectionName);
}
