// What the user waits for when the wizard activates, checks or upgrades the
// monitor, with recording stand-ins for launchctl and open.
#include "platform/ChildProcessCommandRunner.h"
#include "platform/DetachedProcess.h"
#include "platform/XdgAutostartLoginItemService.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/SD4MonitorService.h"
#include "support/FakeBundles.h"
#include "support/MarkedRunningApplications.h"
#include "support/TemporaryFolder.h"

#include <benchmark/benchmark.h>

using namespace quillstone;
using namespace quillstone::testing;
namespace fs = std::filesystem;

namespace {

const fs::path fixtures = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

struct Machine {
    TemporaryFolder root;
    PosixFileManager files{UserDomain::rootedAt(root / "home")};
    SystemLayout layout = SystemLayout::rootedAt(root.path(), files.userDomain(),
                                                 SystemTools{fixtures / "fake-launchctl", "", fixtures / "fake-open", ""});
    fs::path bundle = root / "Applications/Quillstone.app";
    MarkedRunningApplications running;
    XdgAutostartLoginItemService loginItems{files, Bundle(bundle), root / "home/.config/autostart", running,
                                            launchDetached};
    QuillstoneStatusHost host{{loginItems, running, ChildProcessCommandRunner::shared(), ThreadSleeper::shared(),
                               files, Bundle(bundle), layout.tools.open}};
    SD4MonitorService service{{files, layout, Bundle(bundle), UserIdentity::current(),
                               ChildProcessCommandRunner::shared(), host, [] {}}};

    Machine() {
        makeSetupBundle(bundle, fixtures / "fake-status-app");
        running.statusBundles.push_back(statusBundleOf(bundle));
        QuillstoneConfigurationStore(files).save({1, QuillstoneIntegration::sd4, (root / "Dropbox").string()});
    }
};

void installMonitorAgent(benchmark::State& state) {
    Machine machine;
    for (auto _ : state) {
        machine.service.installMonitorAgent();
    }
}

void isMonitorLoaded(benchmark::State& state) {
    Machine machine;
    for (auto _ : state) {
        benchmark::DoNotOptimize(machine.service.isMonitorLoaded());
    }
}

void upgradeCheckOfACurrentInstallation(benchmark::State& state) {
    Machine machine;
    machine.service.installMonitorAgent();
    for (auto _ : state) {
        if (machine.service.upgradeMonitorService(false)) {
            state.SkipWithError("a current installation was rewritten");
        }
    }
}

} // namespace

BENCHMARK(installMonitorAgent)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(isMonitorLoaded)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(upgradeCheckOfACurrentInstallation)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK_MAIN();
