// What the status panel pays every 5 seconds: one refresh (two small reads and,
// for SD4, one `launchctl print` through the bundle's stand-in), against the
// same refresh for Classic, which starts no process. And the rows it redraws.
#include "platform/ChildProcessCommandRunner.h"
#include "platform/FileManager.h"
#include "status/StatusPopover.h"
#include "support/ManualBackgroundQueue.h"
#include "support/ManualMainQueue.h"
#include "support/StatusFakes.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <unistd.h>

namespace {

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

const fs::path launchctl = fs::path(QUILLSTONE_APP_DIR) / "Contents/Helpers/launchctl";

// A home with a configuration and a status file of ten entries.
struct Panel {
    TemporaryFolder root;
    PosixFileManager files{UserDomain::rootedAt(root / "home")};
    CannedHttpClient http;
    ScriptedWorkspace workspace;
    ManualMainQueue mainQueue;
    ManualBackgroundQueue background;
    ManualRefreshTimer timer;
    std::unique_ptr<StatusPopover> popover;

    Panel(const char* integration, const char* completedAt) {
        ::setenv("HOME", (root / "home").c_str(), 1);
        ::setenv("QUILLSTONE_SYSTEMCTL", "/nonexistent", 1);
        fs::path folder = root / "Dropbox/Quillstone";
        writeText(root / "home/.local/share/Quillstone/configuration.json",
                  std::string("{\"integration\":\"") + integration + "\",\"quillstoneFolderPath\":\"" +
                      folder.string() + "\",\"version\":1}");
        std::string entries;
        for (int index = 0; index < 10; ++index) {
            entries += std::string(index ? "," : "") + "{\"id\":\"job" + std::to_string(index) +
                       "\",\"name\":\"Backup " + std::to_string(index) + "\",\"status\":\"SUCCESS\",\"completedAt\":\"" +
                       completedAt + "\",\"freeSpace\":\"512Gi\",\"summary\":\"Copied 1,024 files.\"}";
        }
        writeText(folder / "backup_status.json", "{\"backups\":[" + entries + "]}");
        writeText(folder / "BackupMonitor.sh", "#!/bin/sh\n");
        fs::permissions(folder / "BackupMonitor.sh", fs::perms::owner_all);
        popover = std::make_unique<StatusPopover>(StatusPopover::Collaborators{
            files, ChildProcessCommandRunner::shared(), launchctl, ::getuid(), http, workspace,
            SystemClock::shared(), mainQueue, background, timer, "", "2.3", "40"});
    }
    void refresh() {
        popover->refresh();
        background.runNext();
        mainQueue.runAll();
    }
};

void refreshSD4(benchmark::State& state) {
    Panel panel("sd4", "2025-01-31T22:04:05Z");
    for (auto _ : state) {
        panel.refresh();
    }
    if (panel.popover->active() || !panel.popover->document()) {
        state.SkipWithError("expected a stopped monitor and a readable document");
    }
}

void refreshClassic(benchmark::State& state) {
    Panel panel("classic", "2025-01-31T22:04:05Z");
    for (auto _ : state) {
        panel.refresh();
    }
    if (!panel.popover->active()) {
        state.SkipWithError("expected an executable script");
    }
}

void rows(benchmark::State& state, const char* completedAt) {
    Panel panel("classic", completedAt);
    for (auto _ : state) {
        benchmark::DoNotOptimize(panel.popover->rows());
    }
}
void rowsInternetDates(benchmark::State& state) { rows(state, "2025-01-31T22:04:05Z"); }
// Dates only the fixed-pattern formatter reads: one formatter made per date.
void rowsCompactOffsetDates(benchmark::State& state) { rows(state, "2025-01-31T22:04:05+0100"); }

} // namespace

BENCHMARK(refreshSD4)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(refreshClassic)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(rowsInternetDates)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(rowsCompactOffsetDates)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
