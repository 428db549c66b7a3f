// The real monitor process, started from a throwaway bundle whose launchctl is a
// recording fake, on a private session bus, driven by signals sent with gdbus.
#include "support/MonitorProcessFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <functional>
#include <iostream>
#include <regex>
#include <sstream>
#include <sys/stat.h>
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
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();

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

    const std::string exact = "{\n"
                              "  \"backups\" : [\n"
                              "    {\n"
                              "      \"completedAt\" : \"2024-05-31T16:08:37Z\",\n"
                              "      \"copyScript\" : \"SuperDuper! 4\",\n"
                              "      \"destination\" : \"Backup Disk\",\n"
                              "      \"destinationPath\" : \"\",\n"
                              "      \"freeSpace\" : \"\",\n"
                              "      \"id\" : \"JOB-1\",\n"
                              "      \"isCatchup\" : false,\n"
                              "      \"itemsCopied\" : 1234,\n"
                              "      \"name\" : \"Job JOB-1\",\n"
                              "      \"outcome\" : \"succeeded\",\n"
                              "      \"runID\" : \"RUN-1\",\n"
                              "      \"source\" : \"Macintosh HD\",\n"
                              "      \"sourcePath\" : \"\",\n"
                              "      \"startedAtDisplay\" : \"17:00\",\n"
                              "      \"status\" : \"SUCCESS\",\n"
                              "      \"succeeded\" : true,\n"
                              "      \"summary\" : \"Copied 1,234 items.\"\n"
                              "    }\n"
                              "  ]\n"
                              "}";
    EXPECT_EQ(statusDocument(), exact);
    struct stat info {};
    ASSERT_EQ(::stat((statusFolder / "backup_status.json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(SD4MonitorProcessTest, RunsOfSeveralJobsAreMergedSortedAndAFailureIsMarkedFailed) {
    startListeningMonitor();
    Payload beta{"JOB-b", "RUN-b1"};
    Payload alpha{"JOB-A", "RUN-A1", "wrong_drive"};
    writeText(helpers / "outcome-RUN-A1", " Wrong-Drive ");
    emit(beta.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-b1") == 1; })) << log();
    emit(alpha.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-A1") == 1; })) << log();
    // A second run of the same job replaces its entry.
    Payload betaAgain{"JOB-b", "RUN-b2", "failed", true};
    writeText(helpers / "outcome-RUN-b2", "failed");
    emit(betaAgain.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-b2") == 1; })) << log();

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
    ASSERT_TRUE(waitFor([&] { return countLines("run already processed: RUN-b2") == 1; })) << log();
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
    ASSERT_TRUE(waitFor([&] { return countLines("notification payload rejected") == 5; })) << log();
    EXPECT_EQ(countLines("notification received without userInfo"), 1);
    EXPECT_EQ(countLines("notification received keys=version version=1 outcome=missing jobID=false runID=false "
                         "endedAt=false"),
              1);
    EXPECT_TRUE(monitor->isRunning());
    EXPECT_FALSE(fs::exists(helpers / "calls.log")) << "nothing rejected may reach the Shortcut";

    // It still works afterwards.
    emit(Payload{}.text());
    EXPECT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
}

TEST_F(SD4MonitorProcessTest, TheSameRunNotifiedTwiceWhileResolvingStartsOneShortcut) {
    writeText(helpers / "behaviour", "hold");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return fs::exists(helpers / "calls.log"); })) << log();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return countLines("run queued: RUN-1") == 2; })) << log();
    auto pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    EXPECT_EQ(pending["events"].size(), 1u);

    writeText(helpers / "release", "");
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
    EXPECT_EQ(countLines("running detail Shortcut for: RUN-1"), 1);
    EXPECT_EQ(shortcutCalls().size(), 1u);
    pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    EXPECT_TRUE(pending["events"].empty());
}

TEST_F(SD4MonitorProcessTest, AFailedShortcutStaysPendingAndIsWrittenAtTheNextStart) {
    writeText(helpers / "behaviour", "fail");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] {
        return countLines("run remains pending: RUN-1, error=The Quillstone Shortcut failed: The Shortcut could not "
                          "reach SuperDuper!.") == 1;
    })) << log();
    stopMonitor(SIGTERM);
    EXPECT_FALSE(fs::exists(statusFolder / "backup_status.json"));

    fs::remove(helpers / "behaviour");
    startListeningMonitor();
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"][0]["runID"], "RUN-1");
}

TEST_F(SD4MonitorProcessTest, PendingRunsSurviveAKilledMonitor) {
    writeText(helpers / "behaviour", "hold");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return fs::exists(helpers / "calls.log"); })) << log();
    stopMonitor(SIGKILL);
    auto pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    ASSERT_EQ(pending["events"].size(), 1u);
    EXPECT_EQ(pending["events"][0]["runID"], "RUN-1");

    writeText(helpers / "behaviour", "answer");
    startListeningMonitor();
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"].size(), 1u);
}

TEST_F(SD4MonitorProcessTest, ALedgerThatCannotBeSavedLeavesTheRunPending) {
    // A folder where the ledger file belongs: it can be neither read nor replaced.
    fs::create_directories(support / "sd4-run-ledger.json");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written but ledger save failed for: RUN-1") == 1; }))
        << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"].size(), 1u);
    auto pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    ASSERT_EQ(pending["events"].size(), 1u);
    EXPECT_EQ(pending["events"][0]["runID"], "RUN-1");
}

TEST_F(SD4MonitorProcessTest, AClassicConfigurationKeepsTheMonitorIdle) {
    configure("classic");
    startMonitor();
    ASSERT_TRUE(waitFor([&] { return countLines("monitor not started because SD4 is not selected") == 1; }));
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
    EXPECT_EQ(nlohmann::json::parse(readText(support / "sd4-pending-runs.json"))["events"].size(), size_t(runs));

    writeText(helpers / "behaviour", "answer");
    startListeningMonitor();
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-" + std::to_string(runs - 1)) == 1; }))
        << log();
    ASSERT_TRUE(waitFor([&] { return nlohmann::json::parse(statusDocument())["backups"].size() == size_t(runs); }));
}

TEST_F(SD4MonitorProcessTest, ADeeplyNestedStatusFileIsKeptAsideAndTheRunIsWritten) {
    int run = 0;
    for (size_t levels : {10'000u, 1'000'000u}) {
        SCOPED_TRACE(levels);
        const std::string runID = "RUN-" + std::to_string(++run);
        const std::string nested =
            R"({"backups": [], "x": )" + std::string(levels, '[') + std::string(levels, ']') + "}";
        writeText(statusFolder / "backup_status.json", nested);
        if (!monitor || !monitor->isRunning()) {
            startListeningMonitor();
        }
        Payload payload;
        payload.runID = runID;
        emit(payload.text());
        ASSERT_TRUE(waitFor([&] { return countLines("status written for: " + runID) == 1; })) << log();
        EXPECT_TRUE(monitor->isRunning());
        EXPECT_LT(fs::file_size(statusFolder / "backup_status.json"), 1'000'000u);
        EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"][0]["runID"], runID);
        std::vector<fs::path> aside;
        for (const auto& item : fs::directory_iterator(statusFolder)) {
            if (item.path().filename().string().starts_with("backup_status.json.unreadable-")) {
                aside.push_back(item.path());
            }
        }
        ASSERT_EQ(aside.size(), 1u);
        EXPECT_TRUE(readText(aside[0]) == nested);
        fs::remove(aside[0]);
    }
}
