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

TEST_F(SD4MonitorProcessTest, ARunBecomesAnExactStatusEntryWithTheExactLogLines) {
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(logged("status written for: RUN-1"));

    EXPECT_EQ(messages(), (std::vector<std::string>{"monitor runtime started",
                                                    "distributed notification observer registered",
                                                    acceptedDiagnostic,
                                                    "notification accepted job=JOB-1 run=RUN-1 outcome=succeeded",
                                                    "run queued: RUN-1", "running detail Shortcut for: RUN-1",
                                                    "status written for: RUN-1"}));

    auto calls = shortcutCalls();
    ASSERT_EQ(calls.size(), 1u);
    std::regex expected("asuser\\|" + std::to_string(::getuid()) +
                        "\\|/usr/bin/shortcuts\\|run\\|Quillstone SuperDuper Details\\|--input-path\\|" +
                        (home.path() / "tmp").string() + "/Quillstone-SD4-[0-9A-F-]{36}/input\\.json\\|--output-path\\|" +
                        (home.path() / "tmp").string() +
                        "/Quillstone-SD4-[0-9A-F-]{36}/output\\.json\\|--output-type\\|public\\.json");
    EXPECT_TRUE(std::regex_match(calls[0], expected)) << calls[0];
    EXPECT_TRUE(fs::is_empty(home.path() / "tmp")) << "the work folder must be gone";

    // The byte layout is the writer's own concern; here the Shortcut's answer must arrive whole.
    EXPECT_EQ(nlohmann::json::parse(statusDocument()), nlohmann::json::parse(R"({"backups": [{
        "completedAt": "2024-05-31T16:08:37Z", "copyScript": "SuperDuper! 4", "destination": "Backup Disk",
        "destinationPath": "", "freeSpace": "", "id": "JOB-1", "isCatchup": false, "itemsCopied": 1234,
        "name": "Job JOB-1", "outcome": "succeeded", "runID": "RUN-1", "source": "Macintosh HD",
        "sourcePath": "", "startedAtDisplay": "17:00", "status": "SUCCESS", "succeeded": true,
        "summary": "Copied 1,234 items."}]})"));
}

TEST_F(SD4MonitorProcessTest, RunsOfSeveralJobsAreMergedSortedAndAFailureIsMarkedFailed) {
    startListeningMonitor();
    writeText(helpers / "outcome-RUN-A1", " Wrong-Drive ");
    emit(Payload{"JOB-b", "RUN-b1"}.text());
    ASSERT_TRUE(logged("status written for: RUN-b1"));
    emit(Payload{"JOB-A", "RUN-A1", "wrong_drive"}.text());
    ASSERT_TRUE(logged("status written for: RUN-A1"));
    // A second run of the same job replaces its entry.
    Payload betaAgain{"JOB-b", "RUN-b2", "failed", true};
    writeText(helpers / "outcome-RUN-b2", "failed");
    emit(betaAgain.text());
    ASSERT_TRUE(logged("status written for: RUN-b2"));

    auto document = nlohmann::json::parse(statusDocument());
    ASSERT_EQ(document["backups"].size(), 2u);
    EXPECT_EQ(document["backups"][0]["name"], "Job JOB-A");
    EXPECT_EQ(document["backups"][0]["status"], "FAILED");
    EXPECT_EQ(document["backups"][0]["outcome"], "wrong_drive");
    EXPECT_EQ(document["backups"][1]["runID"], "RUN-b2");
    EXPECT_EQ(document["backups"][1]["isCatchup"], true);
    EXPECT_EQ(document["backups"][1]["succeeded"], false);

    // The same run again is recognised and skipped.
    emit(betaAgain.text());
    ASSERT_TRUE(logged("run already processed: RUN-b2"));
    EXPECT_EQ(shortcutCalls().size(), 3u);
}

TEST_F(SD4MonitorProcessTest, MalformedSignalsAreLoggedAndRejectedWithoutHarm) {
    startListeningMonitor();
    emit("");
    emit("{'version': <'1'>}");
    emit("{'copy_job_id': 'J', 'run_id': 'R'}"); // a{ss}
    emit(Payload{}.text() + " 'extra'");           // a second argument
    emit("{'version': <1>, 'copy_job_id': <'J'>, 'run_id': <'R'>, 'outcome': <'succeeded'>, "
         "'is_catchup': <false>, 'ended_at_unix_nanos': <nan>}");
    ASSERT_TRUE(logged("notification payload rejected", 5));
    EXPECT_EQ(countLines("notification received without userInfo"), 1);
    EXPECT_TRUE(monitor->isRunning());
    EXPECT_FALSE(fs::exists(helpers / "calls.log")) << "nothing rejected may reach the Shortcut";

    // It still works afterwards.
    emit(Payload{}.text());
    EXPECT_TRUE(logged("status written for: RUN-1"));
}

TEST_F(SD4MonitorProcessTest, ARunNotifiedAgainWhileResolvingStartsNoSecondShortcutAndSurvivesAKill) {
    writeText(helpers / "behaviour", "hold");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return fs::exists(helpers / "calls.log"); })) << log();
    emit(Payload{}.text());
    // Another job's run is handled after anything the repeat could have started.
    emit(Payload{"JOB-2", "RUN-2"}.text());
    ASSERT_TRUE(logged("running detail Shortcut for: RUN-2"));
    EXPECT_EQ(countLines("run queued: RUN-1"), 2);
    EXPECT_EQ(countLines("running detail Shortcut for: RUN-1"), 1);
    stopMonitor(SIGKILL);
    EXPECT_EQ(pendingRunIDs(), (std::vector<std::string>{"RUN-1", "RUN-2"}));

    writeText(helpers / "behaviour", "answer");
    startListeningMonitor();
    ASSERT_TRUE(waitFor([&] { return pendingRunIDs().empty(); })) << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"].size(), 2u);
}

TEST_F(SD4MonitorProcessTest, AFailedShortcutStaysPendingAndIsWrittenAtTheNextStart) {
    writeText(helpers / "behaviour", "fail");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(logged("run remains pending: RUN-1, error=The Quillstone Shortcut failed: "
                       "The Shortcut could not reach SuperDuper!."));
    stopMonitor(SIGTERM);
    EXPECT_FALSE(fs::exists(statusFolder / "backup_status.json"));

    fs::remove(helpers / "behaviour");
    startListeningMonitor();
    ASSERT_TRUE(logged("status written for: RUN-1"));
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"][0]["runID"], "RUN-1");
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

TEST_F(SD4MonitorProcessTest, SigtermEndsAMonitorWithHangingShortcutsAtOnceAndTheirRunsStayPending) {
    writeText(helpers / "behaviour", "hold");
    startListeningMonitor();
    // More hanging Shortcuts than any fixed number of waiting threads.
    const int runs = 12;
    for (int run = 0; run < runs; ++run) {
        emit(Payload{"JOB-" + std::to_string(run), "RUN-" + std::to_string(run)}.text());
    }
    ASSERT_TRUE(waitFor([&] { return shortcutCalls().size() == runs; })) << log();

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
    EXPECT_EQ(pendingRunIDs().size(), size_t(runs));

    writeText(helpers / "behaviour", "answer");
    startListeningMonitor();
    ASSERT_TRUE(waitFor([&] { return pendingRunIDs().empty(); })) << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"].size(), size_t(runs));
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
    const std::vector<std::string> names = sortedNamesIn(statusFolder);
    ASSERT_EQ(names.size(), 2u);
    EXPECT_EQ(names[0], "backup_status.json");
    EXPECT_TRUE(names[1].starts_with("backup_status.json.unreadable-")) << names[1];
    EXPECT_TRUE(readText(statusFolder / names[1]) == nested);
}
