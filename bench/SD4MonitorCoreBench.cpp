// The monitor's own cost per run, apart from the Shortcut: parsing the
// notification and the three durable writes (pending add, ledger, pending remove).
#include "setup/monitor/SD4MonitorRuntime.h"
#include "setup/monitor/SD4RunPayload.h"
#include "support/FakeDistributedNotificationCenter.h"
#include "support/FakeWakeNotifier.h"
#include "support/ManualBackgroundQueue.h"
#include "support/ManualMainQueue.h"
#include "support/TemporaryFolder.h"

#include <benchmark/benchmark.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

constexpr double budgetSeconds = 0.050;

// The median share of the 50 ms the system's own overhead may take.
void reportShareOfBudget(benchmark::State& state, double secondsPerIteration) {
    state.counters["budgetShare"] = secondsPerIteration / budgetSeconds;
}

NotificationUserInfo payload(const std::string& runID) {
    using V = NotificationValue;
    return {{"version", V::signedInteger(1)},  {"copy_job_id", V::string("JOB-1")},
            {"run_id", V::string(runID)},      {"outcome", V::string("succeeded")},
            {"is_catchup", V::boolean(false)}, {"ended_at_unix_nanos", V::signedInteger(1796487578000000000)}};
}

void parseNotification(benchmark::State& state) {
    const auto userInfo = payload("RUN-1");
    const auto started = std::chrono::steady_clock::now();
    for (auto _ : state) {
        benchmark::DoNotOptimize(SD4RunPayload::diagnosticLine(userInfo));
        benchmark::DoNotOptimize(SD4RunPayload::event(userInfo));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    reportShareOfBudget(state, seconds / static_cast<double>(state.iterations()));
}
BENCHMARK(parseNotification)->Repetitions(9)->ReportAggregatesOnly(true);

struct RuntimeRig {
    RuntimeRig() {
        QuillstoneConfigurationStore(files).save(QuillstoneConfiguration{1, QuillstoneIntegration::sd4, "/data/Q"});
        SD4MonitorRuntime::Platform platform{std::make_shared<FakeDistributedNotificationCenter>(),
                                             std::make_shared<FakeWakeNotifier>(), mainQueue, nullptr};
        auto resolve = [this](const SD4RunEvent& event, std::function<void(SD4ResolveResult)> done) {
            background->run([this, event, done] {
                SD4ResolvedRun run;
                run.runID = event.runID;
                mainQueue->post([done, run] { done(run); });
            });
        };
        auto write = [this](const SD4RunEvent&, const SD4ResolvedRun&, const std::filesystem::path&) {
            statusWrittenAt = std::chrono::steady_clock::now();
        };
        auto log = [](const std::string&) {};
        runtime = SD4MonitorRuntime::create(SD4MonitorRuntime::Dependencies{
            QuillstoneConfigurationStore(files), SD4RunLedger(files), SD4PendingRunStore(files, std::nullopt, log),
            resolve, write, log, platform});
        runtime->start();
    }
    // One run with a Shortcut and status writer that cost nothing; returns the
    // seconds from the accepted event to the status write, and to the end of the run.
    std::pair<double, double> run() {
        const auto started = std::chrono::steady_clock::now();
        runtime->handle(SD4RunEvent{1, "JOB-1", "RUN-" + std::to_string(++count), SD4RunOutcome::succeeded, false, 1});
        mainQueue->runAll();
        background->runNext();
        mainQueue->runAll();
        const auto ended = std::chrono::steady_clock::now();
        return {std::chrono::duration<double>(statusWrittenAt - started).count(),
                std::chrono::duration<double>(ended - started).count()};
    }

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    std::shared_ptr<ManualMainQueue> mainQueue = std::make_shared<ManualMainQueue>();
    std::shared_ptr<ManualBackgroundQueue> background = std::make_shared<ManualBackgroundQueue>();
    std::shared_ptr<SD4MonitorRuntime> runtime;
    std::chrono::steady_clock::time_point statusWrittenAt;
    long count = 0;
};

// What the user waits for: the event persisted as pending, up to the status write.
void eventToStatusWrite(benchmark::State& state) {
    RuntimeRig rig;
    double total = 0;
    for (auto _ : state) {
        const double seconds = rig.run().first;
        state.SetIterationTime(seconds);
        total += seconds;
    }
    reportShareOfBudget(state, total / static_cast<double>(state.iterations()));
}
BENCHMARK(eventToStatusWrite)->Repetitions(9)->ReportAggregatesOnly(true)->UseManualTime()->Unit(
    benchmark::kMillisecond);

// The whole run, with the ledger save and the pending removal after the status write.
void wholeRun(benchmark::State& state) {
    RuntimeRig rig;
    double total = 0;
    for (auto _ : state) {
        const double seconds = rig.run().second;
        state.SetIterationTime(seconds);
        total += seconds;
    }
    reportShareOfBudget(state, total / static_cast<double>(state.iterations()));
}
BENCHMARK(wholeRun)->Repetitions(9)->ReportAggregatesOnly(true)->UseManualTime()->Unit(benchmark::kMillisecond);

// The ledger grows by one entry per copy job; saving it stays small.
void saveLedger(benchmark::State& state) {
    TemporaryFolder home;
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    SD4RunLedger ledger(files);
    for (long job = 0; job < state.range(0); ++job) {
        ledger.record(SD4RunEvent{1, "JOB-" + std::to_string(job), "RUN", SD4RunOutcome::succeeded, false, 1});
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(ledger.save());
    }
}
BENCHMARK(saveLedger)->Arg(1)->Arg(10000)->Repetitions(9)->ReportAggregatesOnly(true)->UseRealTime()->Unit(
    benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
