#include "setup/monitor/SD4MonitorRuntime.h"
#include "support/FakeDistributedNotificationCenter.h"
#include "support/FakeWakeNotifier.h"
#include "support/ManualBackgroundQueue.h"
#include "support/ManualMainQueue.h"
#include "support/TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <stdexcept>

using namespace quillstone;
using namespace quillstone::testing;
using quillstone::testing::writeText;
using ::testing::ElementsAre;
using ::testing::Field;

namespace {

SD4RunEvent event(const std::string& runID, const std::string& jobID = "J1") {
    return SD4RunEvent{1, jobID, runID, SD4RunOutcome::succeeded, false, 1796487578000000000};
}

struct Write {
    std::string runID;
    std::string jobName;
    std::filesystem::path file;
};

class SD4MonitorRuntimeTest : public ::testing::Test {
protected:
    std::filesystem::path support() const { return home.path() / ".local/share/Quillstone"; }

    void configure(QuillstoneIntegration integration, const std::string& folder) {
        QuillstoneConfigurationStore(files).save(QuillstoneConfiguration{1, integration, folder});
    }

    std::shared_ptr<SD4MonitorRuntime> makeRuntime(bool withWake = true) {
        auto log = [this](const std::string& line) { lines.push_back(line); };
        SD4MonitorRuntime::Platform platform{center, withWake ? wake : nullptr, mainQueue,
                                             [this] { ++accessoryCalls; }};
        // Each Shortcut waits on the manual background queue until the test lets it end.
        auto resolve = [this](const SD4RunEvent& event, std::function<void(SD4ResolveResult)> done) {
            background->run([this, event, done] {
                resolved.push_back(event.runID);
                SD4ResolveResult result = std::string("The Shortcut did not answer.");
                if (!failingRuns.count(event.runID)) {
                    SD4ResolvedRun run;
                    run.runID = event.runID;
                    run.jobName = "Backup of " + event.copyJobID;
                    run.outcome = event.outcome;
                    result = run;
                }
                mainQueue->post([done, result] { done(result); });
            });
        };
        auto writeStatus = [this](const SD4RunEvent& event, const SD4ResolvedRun& run,
                                  const std::filesystem::path& file) {
            if (writerFailure) {
                throw std::runtime_error(*writerFailure);
            }
            writes.push_back(Write{event.runID, run.jobName, file});
        };
        return SD4MonitorRuntime::create(SD4MonitorRuntime::Dependencies{
            QuillstoneConfigurationStore(files), SD4RunLedger(files),
            SD4PendingRunStore(files, std::nullopt, log, clock), resolve, writeStatus, log, platform});
    }

    // Started with SD4 selected and the given status folder.
    std::shared_ptr<SD4MonitorRuntime> startSD4(const std::string& folder = "/data/Quillstone") {
        configure(QuillstoneIntegration::sd4, folder);
        auto runtime = makeRuntime();
        runtime->start();
        return runtime;
    }

    std::vector<std::string> pendingRunIDs() const {
        std::vector<std::string> ids;
        for (const auto& pending : SD4PendingRunStore(const_cast<PosixFileManager&>(files)).pendingEvents()) {
            ids.push_back(pending.runID);
        }
        return ids;
    }

    std::vector<std::string> takeLines() { return std::exchange(lines, {}); }

    // Lets the oldest waiting resolve finish and the main queue settle.
    void finishNextResolve() {
        mainQueue->runAll();
        background->runNext();
        mainQueue->runAll();
    }

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    ManualClock clock{TimePoint(std::chrono::seconds(1796487578))};
    std::shared_ptr<FakeDistributedNotificationCenter> center = std::make_shared<FakeDistributedNotificationCenter>();
    std::shared_ptr<FakeWakeNotifier> wake = std::make_shared<FakeWakeNotifier>();
    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<ManualBackgroundQueue> background = std::make_shared<ManualBackgroundQueue>();
    std::vector<std::string> lines;
    std::vector<std::string> resolved;
    std::vector<Write> writes;
    std::set<std::string> failingRuns;
    std::optional<std::string> writerFailure;
    int accessoryCalls = 0;
};

} // namespace

TEST_F(SD4MonitorRuntimeTest, DeclinesWithOneLineUnlessACompleteSD4ConfigurationIsStored) {
    for (const char* stored : {"", R"({"version":1,"integration":"classic","quillstoneFolderPath":"/data"})",
                               "{not json", R"({"version":1,"integration":"sd4","quillstoneFolderPath":""})",
                               R"({"version":2,"integration":"sd4","quillstoneFolderPath":"/data"})"}) {
        SCOPED_TRACE(stored);
        std::filesystem::remove_all(support());
        if (*stored) {
            writeText(support() / "configuration.json", stored);
        }
        SD4PendingRunStore(files).add({event("R0")});
        auto runtime = makeRuntime();
        runtime->start();
        runtime->start();
        EXPECT_EQ(takeLines(), std::vector<std::string>{"monitor not started because SD4 is not selected"});
        EXPECT_FALSE(runtime->isListening());
        EXPECT_EQ(center->registrations, 0);
        EXPECT_EQ(wake->observerCount(), 0u);
        EXPECT_EQ(accessoryCalls, 0);
        EXPECT_EQ(mainQueue->size(), 0u) << "pending runs are not resumed";
    }
}

TEST_F(SD4MonitorRuntimeTest, ARunTravelsToTheStatusFileReadAgainForEveryWriteAndLeavesTheQueue) {
    EXPECT_THROW(makeRuntime(false), std::invalid_argument) << "every port is required";
    auto runtime = startSD4("/data/First");
    EXPECT_EQ(accessoryCalls, 1);
    EXPECT_EQ(center->observerCount(), 1u);
    runtime->handle(event("R1"));
    mainQueue->runAll();
    EXPECT_EQ(pendingRunIDs(), std::vector<std::string>{"R1"}) << "persisted before any work";
    ASSERT_EQ(background->size(), 1u);
    EXPECT_TRUE(resolved.empty()) << "resolving waits for the background queue";
    configure(QuillstoneIntegration::classic, "/data/Second");
    background->runNext();
    EXPECT_TRUE(writes.empty()) << "writing waits for the main queue";
    mainQueue->runAll();
    ASSERT_EQ(writes.size(), 1u);
    EXPECT_EQ(writes[0].jobName, "Backup of J1");
    EXPECT_EQ(writes[0].file, "/data/Second/backup_status.json");
    EXPECT_TRUE(pendingRunIDs().empty());
    EXPECT_TRUE(SD4RunLedger(files).hasProcessed(event("R1")));
    EXPECT_TRUE(runtime->processingRunIDs().empty());

    std::filesystem::remove(support() / "configuration.json");
    runtime->handle(event("R2"));
    finishNextResolve();
    EXPECT_EQ(writes.back().file, home.path() / "Quillstone/backup_status.json");
}

TEST_F(SD4MonitorRuntimeTest, AFailedResolveOrStatusWriteStaysPendingAndUnrecordedUntilTheNextWake) {
    auto runtime = startSD4();
    takeLines();
    const std::vector<std::pair<std::string, std::string>> failures{
        {"R1", "The Shortcut did not answer."}, {"R2", "The status file could not be written."}};
    for (const auto& [runID, error] : failures) {
        SCOPED_TRACE(error);
        failingRuns = {"R1"};
        writerFailure = runID == "R2" ? std::optional(error) : std::nullopt;
        const SD4RunEvent run = event(runID, "J" + runID);
        runtime->handle(run);
        finishNextResolve();
        EXPECT_EQ(takeLines().back(), "run remains pending: " + runID + ", error=" + error);
        EXPECT_EQ(pendingRunIDs(), std::vector<std::string>{runID});
        EXPECT_FALSE(runtime->ledger().hasProcessed(run));
        EXPECT_TRUE(runtime->processingRunIDs().empty());
        EXPECT_EQ(mainQueue->size() + background->size(), 0u) << "no retry before a wake";

        failingRuns.clear();
        writerFailure.reset();
        wake->wake();
        EXPECT_EQ(background->size(), 0u) << "the wake is handled on the main queue";
        finishNextResolve();
        EXPECT_EQ(takeLines(), (std::vector<std::string>{"running detail Shortcut for: " + runID,
                                                         "status written for: " + runID}));
        EXPECT_TRUE(pendingRunIDs().empty());
    }
}

TEST_F(SD4MonitorRuntimeTest, ALedgerThatCannotBeSavedLeavesTheRunPending) {
    // A folder where the ledger belongs: it can be neither read nor replaced.
    std::filesystem::create_directories(support() / "sd4-run-ledger.json");
    auto runtime = startSD4();
    runtime->handle(event("R1"));
    finishNextResolve();
    EXPECT_EQ(writes.size(), 1u);
    EXPECT_EQ(lines.back(), "status written but ledger save failed for: R1");
    EXPECT_EQ(pendingRunIDs(), std::vector<std::string>{"R1"});
    // This process remembers the run, so a wake does not write it again.
    wake->wake();
    mainQueue->runAll();
    EXPECT_EQ(background->size(), 0u);
}

TEST_F(SD4MonitorRuntimeTest, PerJobTheNewestRunIsResolvedFirstAndOlderOnesLeaveWithoutAShortcut) {
    auto at = [](const std::string& runID, int64_t endedAt, const std::string& job = "J1") {
        SD4RunEvent run = event(runID, job);
        run.endedAtUnixNanos = endedAt;
        return run;
    };
    SD4PendingRunStore(files).add(
        {at("R2", 20), at("R1", 10), at("R4", 40), at("R3", 30), at("S1", 5, "J2")});
    failingRuns.insert("R4");
    auto runtime = startSD4();
    mainQueue->runAll();
    ASSERT_EQ(background->size(), 2u) << "one run per job, jobs side by side";
    finishNextResolve();
    finishNextResolve();
    EXPECT_EQ(resolved, (std::vector<std::string>{"R4", "S1"}));
    // The newest failed: the next older one is tried, and once it is written the rest leave.
    finishNextResolve();
    EXPECT_EQ(resolved, (std::vector<std::string>{"R4", "S1", "R3"}));
    EXPECT_EQ(background->size(), 0u);
    EXPECT_EQ(pendingRunIDs(), std::vector<std::string>{"R4"}) << "the failed newest waits for the next wake";

    // A newer run that arrives while an older one resolves comes next; an older arrival is dropped.
    runtime->handle(at("R6", 60));
    runtime->handle(at("R5", 50));
    runtime->handle(at("R0", 1));
    mainQueue->runAll();
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "run dropped, a newer run of its job is already written: R0"), 1);
    finishNextResolve();
    finishNextResolve();
    EXPECT_EQ(resolved, (std::vector<std::string>{"R4", "S1", "R3", "R6"}));
    EXPECT_THAT(writes,
                ElementsAre(Field(&Write::runID, "S1"), Field(&Write::runID, "R3"), Field(&Write::runID, "R6")));
    EXPECT_TRUE(pendingRunIDs().empty()) << "R5 and the failed R4 are older than the written R6";
}

TEST_F(SD4MonitorRuntimeTest, TheNewerEndTimeIsSavedBeforeTheStatusWriteSoADeathInItKeepsTheOrder) {
    SD4RunEvent older = event("R1");
    SD4RunEvent newer = event("R2");
    newer.endedAtUnixNanos += 1;
    SD4PendingRunStore(files).add({older, newer});
    // The newer run's status write fails, as if the process died inside it.
    writerFailure = "killed";
    auto runtime = startSD4();
    finishNextResolve();
    EXPECT_FALSE(SD4RunLedger(files).hasProcessed(newer));
    EXPECT_TRUE(SD4RunLedger(files).hasNewerRun(older)) << "the claim reached the file first";
}

TEST_F(SD4MonitorRuntimeTest, ARunTheLedgerHoldsIsNeitherResumedNorQueuedAgain) {
    writeText(support() / "sd4-run-ledger.json", R"({"schemaVersion":1,"latestRunIDByJobID":{"J1":"R1"}})");
    SD4PendingRunStore(files).add({event("R1"), event("R5", "J2")});
    auto runtime = startSD4();
    takeLines();
    runtime->handle(event("R1"));
    EXPECT_EQ(takeLines(), std::vector<std::string>{"run already processed: R1"});
    EXPECT_EQ(mainQueue->size(), 1u) << "only R5 is resumed; R1 is not queued again";
    finishNextResolve();
    EXPECT_EQ(background->size(), 0u);
    EXPECT_EQ(resolved, std::vector<std::string>{"R5"});
    EXPECT_EQ(pendingRunIDs(), std::vector<std::string>{"R1"});
}

TEST_F(SD4MonitorRuntimeTest, StopEndsListeningAndALostRuntimeDropsItsAnswers) {
    auto runtime = startSD4();
    runtime->handle(event("R1"));
    mainQueue->runAll();
    runtime->stop();
    EXPECT_EQ(center->observerCount(), 0u);
    EXPECT_EQ(wake->observerCount(), 0u);
    const auto linesBefore = lines.size();
    center->post("com.shirtpocket.SuperDuper.runFinished", NotificationUserInfo{});
    EXPECT_EQ(lines.size(), linesBefore);

    runtime.reset();
    background->runNext();
    EXPECT_EQ(mainQueue->runAll(), 1u);
    EXPECT_TRUE(writes.empty());
    EXPECT_EQ(pendingRunIDs(), std::vector<std::string>{"R1"}) << "kept for the next start";
}

TEST_F(SD4MonitorRuntimeTest, StandardDependenciesUseTheSupportFolderAndTheMonitorLog) {
    configure(QuillstoneIntegration::sd4, "/data/Quillstone");
    writeText(support() / "sd4-pending-runs.json", "{truncated");
    SD4MonitorRuntime::Platform platform{center, wake, mainQueue, nullptr};
    auto runtime = SD4MonitorRuntime::create(SD4MonitorRuntime::Dependencies::standard(
        platform, [](const SD4RunEvent&, auto done) { done(SD4ResolvedRun()); },
        [](const SD4RunEvent&, const SD4ResolvedRun&, const std::filesystem::path&) {}, files, clock));
    runtime->start();
    runtime->handle(event("R1"));
    mainQueue->runAll();
    const auto kept = support() / "sd4-pending-runs.json.unreadable-1796487578";
    EXPECT_EQ(readText(kept), "{truncated");
    EXPECT_NE(readText(support() / "sd4-monitor.log")
                  .find("2026-12-05T16:19:38Z | pending runs file unreadable, kept as: " + kept.string() + "\n"),
              std::string::npos);
}
