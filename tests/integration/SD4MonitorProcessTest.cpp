#include "support/MonitorProcessFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <functional>
#include <iostream>
#include <regex>
#include <thread>
#include <unistd.h>

using namespace quillstone;
using namespace std::chrono_literals;
using namespace quillstone::testing;

namespace fs = std::filesystem;

namespace {

class SD4MonitorProcessTest : public MonitorProcessFixture {};

const char* const acceptedDiagnostic = "notification received keys=copy_job_id,ended_at_unix_nanos,is_catchup,outcome,"
                                       "run_id,version version=1 outcome=succeeded jobID=true runID=true endedAt=true";

} // namespace

TEST_F(SD4MonitorProcessTest, AfterARefusedSignalARunBecomesAnExactStatusEntryWithTheExactLogLines) {
    startListeningMonitor();
    // Which shapes are refused is the bus adapter's and the payload's concern; one refusal does no harm here.
    emit("");
    Payload catchup;
    catchup.catchup = true;
    emit(catchup.text());
    ASSERT_TRUE(logged("status written for: RUN-1"));

    EXPECT_EQ(messages(), (std::vector<std::string>{"monitor runtime started",
                                                    "distributed notification observer registered",
                                                    "notification received without userInfo",
                                                    "notification payload rejected", acceptedDiagnostic,
                                                    "notification accepted job=JOB-1 run=RUN-1 outcome=succeeded",
                                                    "run queued: RUN-1", "running detail Shortcut for: RUN-1",
                                                    "status written for: RUN-1"}));

    // The exact command line is the resolver's concern; here its work folder must follow TMPDIR.
    auto calls = shortcutCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_NE(calls[0].find("|--input-path|" + (home.path() / "tmp/Quillstone-SD4-").string()), std::string::npos)
        << calls[0];

    // The byte layout is the writer's own concern; here the Shortcut's answer must arrive whole.
    EXPECT_EQ(nlohmann::json::parse(statusDocument()), nlohmann::json::parse(R"({"backups": [{
        "completedAt": "2024-05-31T16:08:37Z", "copyScript": "SuperDuper! 4", "destination": "Backup Disk",
        "destinationPath": "", "freeSpace": "", "id": "JOB-1", "isCatchup": true, "itemsCopied": 1234,
        "name": "Job JOB-1", "outcome": "succeeded", "runID": "RUN-1", "source": "Macintosh HD",
        "sourcePath": "", "startedAtDisplay": "17:00", "status": "SUCCESS", "succeeded": true,
        "summary": "Copied 1,234 items."}]})"));
}

TEST_F(SD4MonitorProcessTest, AClassicConfigurationKeepsTheMonitorIdle) {
    configure("classic");
    startMonitor();
    ASSERT_TRUE(logged("monitor not started because SD4 is not selected"));
    emit(Payload{}.text());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(messages(), std::vector<std::string>{"monitor not started because SD4 is not selected"});
    EXPECT_TRUE(monitor->isRunning()) << "an idle monitor stays alive";
}

TEST_F(SD4MonitorProcessTest, HangingShortcutsStartOncePerRunAndEndAtOnceOnSigtermWithTheirRunsPending) {
    writeText(helpers / "behaviour", "hold");
    startListeningMonitor();
    // More hanging Shortcuts than any fixed number of waiting threads.
    const int runs = 12;
    for (int run = 0; run < runs; ++run) {
        emit(Payload{"JOB-" + std::to_string(run), "RUN-" + std::to_string(run)}.text());
        if (run == 0) {
            // Notified again while its Shortcut runs; the later runs show it started no second one.
            ASSERT_TRUE(waitFor([&] { return fs::exists(helpers / "calls.log"); })) << log();
            emit(Payload{"JOB-0", "RUN-0"}.text());
        }
    }
    ASSERT_TRUE(waitFor([&] { return shortcutCalls().size() == runs; })) << log();
    EXPECT_EQ(countLines("run queued: RUN-0"), 2);
    EXPECT_EQ(countLines("running detail Shortcut for: RUN-0"), 1);

    const auto signalled = std::chrono::steady_clock::now();
    ::kill(monitor->processIdentifier(), SIGTERM);
    ASSERT_TRUE(waitFor([&] { return !monitor->isRunning(); }, 1s)) << "still running a second after SIGTERM";
    std::cout << "ended " << std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - signalled).count()
              << " ms after SIGTERM" << std::endl;
    EXPECT_EQ(monitor->terminationReason(), ChildProcess::TerminationReason::exit);
    EXPECT_TRUE(fs::is_empty(home.path() / "tmp")) << "work folders left behind";
    auto shortcutProcesses = [&] {
        int count = 0;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            std::ifstream cmdline(entry.path() / "cmdline");
            std::string text((std::istreambuf_iterator<char>(cmdline)), std::istreambuf_iterator<char>());
            count += text.find((helpers / "launchctl").string()) != std::string::npos ? 1 : 0;
        }
        return count;
    };
    EXPECT_TRUE(waitFor([&] { return shortcutProcesses() == 0; }, 200ms)) << "Shortcut processes outlived the monitor";
    EXPECT_EQ(pendingRunIDs().size(), size_t(runs)) << "written at the next start, as after any other stop";
}

TEST_F(SD4MonitorProcessTest, ADeeplyNestedStatusFileIsKeptAsideAndTheRunIsWritten) {
    // Deep enough to overflow the stack of any parser without a depth bound.
    const std::string nested =
        R"({"backups": [], "x": )" + std::string(1'000'000, '[') + std::string(1'000'000, ']') + "}";
    writeText(statusFolder / "backup_status.json", nested);
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(logged("status written for: RUN-1"));
    EXPECT_TRUE(monitor->isRunning());
    ASSERT_LT(fs::file_size(statusFolder / "backup_status.json"), 1'000'000u);
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"][0]["runID"], "RUN-1");
    // How it is kept aside is the writer's concern; here only that it is.
    EXPECT_EQ(sortedNamesIn(statusFolder).size(), 2u);
}
