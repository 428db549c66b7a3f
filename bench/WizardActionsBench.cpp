// What the wizard makes the user wait for on its main thread: the Shortcut
// check at start-up and on every activation (one `shortcuts list` through the
// process registry, against a bare /bin/true through it), and a Classic
// installation without the password dialog.
#include "platform/ChildProcess.h"
#include "platform/FileManager.h"
#include "platform/Workspace.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/QuillstoneProcessRegistry.h"
#include "setup/wizard/QuillstoneBundledShortcutBridge.h"
#include "setup/wizard/QuillstoneClassicInstaller.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace quillstone;
using namespace quillstone::testing;
const fs::path bundle = QUILLSTONE_APP_DIR;

class IdleMonitor : public QuillstoneMonitorControl {
public:
    bool agentPropertyListExists() override { return false; }
    bool isMonitorLoaded() override { return false; }
    void installMonitorAgent() override {}
    void installClassicStatusHost() override {}
    void uninstallMonitorAgent() override {}
    void removeSD4Monitor() override {}
    void removeLegacyStatusHostAgent() override {}
    void unregisterStatusHost() override {}
    void upgradeMonitorService() override {}
};

void bareProgramThroughRegistry(benchmark::State& state) {
    TemporaryFolder root;
    QuillstoneProcessRegistry registry(root.path());
    for (auto _ : state) {
        ChildProcess task("/bin/true", {});
        benchmark::DoNotOptimize(registry.runCapturingOutput(task));
    }
}

void shortcutPresenceCheck(benchmark::State& state) {
    TemporaryFolder root;
    ::setenv("HOME", root.path().c_str(), 1);
    ::setenv("XDG_DATA_HOME", (root / ".local/share").c_str(), 1);
    PosixFileManager files{UserDomain::rootedAt(root.path())};
    ScriptedWorkspace workspace;
    QuillstoneProcessRegistry registry(root.path());
    QuillstoneBundledShortcutBridge bridge(registry, bundle / "Contents/Helpers/shortcuts", Bundle(bundle), files,
                                           workspace);
    for (auto _ : state) {
        benchmark::DoNotOptimize(bridge.isShortcutInstalled());
    }
}

void classicInstallation(benchmark::State& state) {
    TemporaryFolder root;
    PosixFileManager files{UserDomain::rootedAt(root / "home")};
    writeText(root / "Quillstone.app/Contents/Resources/BackupMonitor.sh", "DIR=__QUILLSTONE_DIR__\n");
    RecordingAdministratorScript administrator;
    QuillstoneConfigurationStore store(files);
    IdleMonitor monitor;
    QuillstoneClassicInstaller installer(
        {files, administrator, SystemClock::shared(), store, monitor, Bundle(root / "Quillstone.app")});
    const fs::path folder = root / "Drive/Quillstone";
    for (auto _ : state) {
        installer.install(*installer.templateURL(), folder, QuillstoneIntegration::classic);
        state.PauseTiming();
        fs::remove_all(folder); // every round installs afresh, without a growing list of backups
        state.ResumeTiming();
    }
}

} // namespace

BENCHMARK(bareProgramThroughRegistry)->Unit(benchmark::kMillisecond)->Repetitions(20)->ReportAggregatesOnly(true);
BENCHMARK(shortcutPresenceCheck)->Unit(benchmark::kMillisecond)->Repetitions(20)->ReportAggregatesOnly(true);
BENCHMARK(classicInstallation)->Unit(benchmark::kMillisecond)->Repetitions(20)->ReportAggregatesOnly(true);
BENCHMARK_MAIN();
