// A thousand runs of ten jobs reach the real monitor within one second: each
// job ends with one entry holding its newest run, no notification is dropped
// on the way, and the time until the file is final and the memory it took are
// reported.
#include "support/CoreApplicationScope.h"
#include "support/MonitorProcessFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <chrono>
#include <iostream>
#include <map>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace {

constexpr int jobCount = 10;
constexpr int notificationCount = 1000;
constexpr int64_t firstEnd = 1717171717000000000;

class SD4MonitorLoadTest : public MonitorProcessFixture {
protected:
    CoreApplicationScope application;
};

} // namespace

TEST_F(SD4MonitorLoadTest, AThousandRunsInOneSecondEndAsOneNewestEntryPerJob) {
    startListeningMonitor();
    const long idleKiB = peakResidentKiB();
    QDBusConnection sender = QDBusConnection::connectToBus(QString::fromStdString(bus.address()), "load");
    ASSERT_TRUE(sender.isConnected());

    std::map<std::string, std::string> newestRun;
    const auto started = std::chrono::steady_clock::now();
    for (int index = 0; index < notificationCount; ++index) {
        const std::string job = "JOB-" + std::to_string(index % jobCount);
        const std::string run = "RUN-" + std::to_string(index);
        QVariantMap userInfo{{"version", 1},
                             {"copy_job_id", QString::fromStdString(job)},
                             {"run_id", QString::fromStdString(run)},
                             {"outcome", "succeeded"},
                             {"is_catchup", false},
                             {"ended_at_unix_nanos", QVariant::fromValue(qlonglong(firstEnd + index * 1'000'000'000LL))}};
        QDBusMessage signal = QDBusMessage::createSignal("/", "com.shirtpocket.SuperDuper", "runFinished");
        signal << userInfo;
        ASSERT_TRUE(sender.send(signal));
        newestRun[job] = run;
    }
    sender.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                            "GetId"));
    const auto sentAfter = std::chrono::steady_clock::now() - started;
    ASSERT_LT(sentAfter, 1s);

    auto isFinal = [&] {
        auto document = nlohmann::json::parse(statusDocument(), nullptr, false);
        if (!document.is_object() || !document["backups"].is_array() || document["backups"].size() != jobCount) {
            return false;
        }
        for (const auto& entry : document["backups"]) {
            if (entry["runID"] != newestRun[entry["id"]]) {
                return false;
            }
        }
        return true;
    };
    ASSERT_TRUE(waitFor(isFinal, 300s)) << statusDocument();
    const auto finalAfter = std::chrono::steady_clock::now() - started;
    auto count = [&](const std::string& start) {
        return static_cast<int>(messagesStartingWith(start).size());
    };
    // Everything still in flight must settle without touching the final entries.
    // A run leaves the pending file just before its log line is written.
    ASSERT_TRUE(waitFor([&] { return pendingRunIDs().empty(); }, 300s));
    auto settled = [&] { return count("status written for: ") + count("run dropped, a newer run"); };
    waitFor([&] { return settled() >= notificationCount; }, 30s);
    EXPECT_TRUE(isFinal());

    const long peakKiB = peakResidentKiB();
    std::cout << notificationCount << " notifications sent in "
              << std::chrono::duration_cast<std::chrono::milliseconds>(sentAfter).count() << " ms; file final after "
              << std::chrono::duration_cast<std::chrono::milliseconds>(finalAfter).count() << " ms; received "
              << count("notification received keys=") << ", queued " << count("run queued: ") << ", written "
              << count("status written for: ") << ", dropped as older " << count("run dropped, a newer run")
              << ", Shortcut runs " << count("running detail Shortcut for: ")
              << "; peak resident memory " << peakKiB << " KiB (idle " << idleKiB << " KiB)" << std::endl;
    EXPECT_EQ(count("notification received keys="), notificationCount) << "the bus dropped notifications";
    EXPECT_EQ(count("run queued: "), notificationCount);
    EXPECT_EQ(settled(), notificationCount);
}
