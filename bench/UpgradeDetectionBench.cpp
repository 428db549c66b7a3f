// Upgrade detection runs once when the wizard opens, before its window is
// usable: it reads every application bundle's Info.plist in /Applications.
#include "platform/FileManager.h"
#include "platform/SystemLayout.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/QuillstoneUpgradeDetector.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <benchmark/benchmark.h>

using namespace quillstone;
using namespace quillstone::testing;

static void DetectAmongInstalledApplications(benchmark::State& state) {
    TemporaryFolder root;
    UserDomain domain = UserDomain::rootedAt(root / "home");
    PosixFileManager files(domain);
    SystemLayout layout = SystemLayout::rootedAt(root.path(), domain, SystemTools{});
    ListedRunningApplications running;
    ScriptedWorkspace workspace;
    QuillstoneConfigurationStore configuration(files, root / "home" / "configuration.json");
    QuillstoneUpgradeDetector detector(files, layout, running, workspace, configuration);

    const auto current = writeApplicationBundle(layout.applicationsFolder / "Quillstone.app",
                                                "com.quillstone.Quillstone-Setup", "2.3", "40");
    for (int64_t index = 0; index < state.range(0); ++index) {
        writeApplicationBundle(layout.applicationsFolder / ("App " + std::to_string(index) + ".app"),
                               "com.example.app" + std::to_string(index), "1.0", "1");
    }
    // The only older copy sorts last, so every other bundle is read first.
    writeApplicationBundle(layout.applicationsFolder / "~Quillstone Setup.app", "com.quillstone.Quillstone-Setup",
                           "2.2", "12");
    const Bundle bundle(current);
    for (auto _ : state) {
        auto candidate = detector.detectUpgradeCandidate(bundle);
        if (!candidate) {
            state.SkipWithError("no candidate found");
        }
        benchmark::DoNotOptimize(candidate);
    }
}
BENCHMARK(DetectAmongInstalledApplications)->Arg(10)->Arg(100)->Arg(1000)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
