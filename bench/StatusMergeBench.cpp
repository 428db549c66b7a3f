// Cost of writing one run into backup_status.json that already holds N entries:
// the whole write (read, merge, sort, serialize, atomic replace) and the
// in-memory merge alone. Reported as medians of repetitions, and as the
// fraction of the 100 ms budget per write.
#include "platform/AppleJson.h"
#include "setup/model/QuillstoneStatusDocument.h"
#include "setup/monitor/SD4StatusWriter.h"
#include "support/TemporaryFolder.h"

#include <benchmark/benchmark.h>

#include <chrono>

using namespace quillstone;
using nlohmann::json;

namespace {

constexpr double budgetMilliseconds = 100.0;

class NoVolumes : public Volumes {
public:
    std::vector<Volume> mountedVolumes() const override { return {{"/", "Macintosh HD"}, {"/media/b", "Backup"}}; }
    std::optional<int64_t> availableCapacity(const std::filesystem::path&) const override { return 2000000000000; }
};

SD4RunEvent runEvent(int index) {
    SD4RunEvent event;
    event.copyJobID = "JOB-" + std::to_string(index);
    event.runID = "RUN-" + std::to_string(index);
    event.outcome = index % 7 == 0 ? SD4RunOutcome::failed : SD4RunOutcome::succeeded;
    event.endedAtUnixNanos = 1717171717000000000 + int64_t(index) * 1000000000;
    return event;
}

SD4ResolvedRun resolvedRun(int index) {
    // Names in scrambled order with mixed case, so the sort has real work to do.
    static const char* words[] = {"Nightly", "photos", "Work", "archive", "Music", "documents", "Mail", "code"};
    SD4ResolvedRun run;
    run.jobName = std::string(words[index % 8]) + " " + std::to_string((index * 7919) % 100003);
    run.summary = "Copied 1,234 items.";
    run.source = "Macintosh HD";
    run.destination = "Backup";
    run.bytesCopied = 123456789;
    run.itemsCopied = 1234;
    run.itemsUpdated = 56;
    run.itemsDeleted = 7;
    run.startedAtDisplay = "31 May 2024 at 17:00";
    run.endedAtDisplay = "31 May 2024 at 18:08";
    run.bootableDisplay = "Yes";
    return run;
}

json documentWith(const SD4StatusWriter& writer, int entries) {
    json root = {{"backups", json::array()}};
    for (int index = 0; index < entries; ++index) {
        root["backups"].push_back(writer.entry(runEvent(index), resolvedRun(index)));
    }
    return root;
}

void reportPerWrite(benchmark::State& state, double seconds) {
    double milliseconds = seconds * 1000.0 / static_cast<double>(state.iterations());
    state.counters["ms_per_write"] = milliseconds;
    state.counters["of_budget"] = milliseconds / budgetMilliseconds;
}

void BM_StatusWrite(benchmark::State& state) {
    quillstone::testing::TemporaryFolder home;
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    NoVolumes volumes;
    SD4StatusWriter writer(files, volumes, LocalizedCollator("en_US.UTF-8"));
    auto entries = static_cast<int>(state.range(0));
    auto statusFile = home / "Quillstone/backup_status.json";
    files.createDirectories(statusFile.parent_path());
    files.replaceAtomically(statusFile, prettyJson(documentWith(writer, entries)), 0644);
    double seconds = 0;
    int index = 0;
    for (auto _ : state) {
        // Replace an existing job's entry, as a normal run does.
        auto start = std::chrono::steady_clock::now();
        writer.write(runEvent(index % entries), resolvedRun(index % entries), statusFile);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        ++index;
    }
    reportPerWrite(state, seconds);
}

void BM_StatusMergeOnly(benchmark::State& state) {
    quillstone::testing::TemporaryFolder home;
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    NoVolumes volumes;
    SD4StatusWriter writer(files, volumes, LocalizedCollator("en_US.UTF-8"));
    auto entries = static_cast<int>(state.range(0));
    json document = documentWith(writer, entries);
    json newEntry = writer.entry(runEvent(entries / 2), resolvedRun(entries / 2));
    double seconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        json root = document;
        json entry = newEntry;
        state.ResumeTiming();
        auto start = std::chrono::steady_clock::now();
        writer.merge(root, std::move(entry));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        benchmark::DoNotOptimize(root);
    }
    reportPerWrite(state, seconds);
}

// The two ends of a write that do not depend on the merge: reading and writing the JSON.
void BM_StatusParse(benchmark::State& state) {
    quillstone::testing::TemporaryFolder home;
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    NoVolumes volumes;
    SD4StatusWriter writer(files, volumes, LocalizedCollator("en_US.UTF-8"));
    std::string bytes = prettyJson(documentWith(writer, static_cast<int>(state.range(0))));
    state.counters["file_bytes"] = static_cast<double>(bytes.size());
    for (auto _ : state) {
        benchmark::DoNotOptimize(QuillstoneStatusDocument::readForMerge(std::optional<std::string>(bytes)));
    }
}

void BM_StatusSerialize(benchmark::State& state) {
    quillstone::testing::TemporaryFolder home;
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    NoVolumes volumes;
    SD4StatusWriter writer(files, volumes, LocalizedCollator("en_US.UTF-8"));
    json document = documentWith(writer, static_cast<int>(state.range(0)));
    for (auto _ : state) {
        benchmark::DoNotOptimize(prettyJson(document));
    }
}

} // namespace

BENCHMARK(BM_StatusParse)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StatusSerialize)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StatusWrite)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(9)
    ->ReportAggregatesOnly(true)->UseRealTime();
BENCHMARK(BM_StatusMergeOnly)->Arg(10)->Arg(1000)->Arg(10000)->Unit(benchmark::kMillisecond)->Repetitions(9)
    ->ReportAggregatesOnly(true)->UseRealTime();

BENCHMARK_MAIN();
