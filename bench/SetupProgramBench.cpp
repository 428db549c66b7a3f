// What the user feels of the process registry and of the setup program itself:
// the cost of running a command through the registry against a bare spawn,
// how soon a wizard is up, and what an idle monitor costs the machine.
#include "platform/ChildProcess.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "setup/service/QuillstoneProcessRegistry.h"
#include "support/TemporaryFolder.h"

#include <benchmark/benchmark.h>

#include <csignal>
#include <fstream>
#include <memory>
#include <thread>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::TemporaryFolder;

namespace {

const std::filesystem::path setupProgram = QUILLSTONE_APP_DIR "/Contents/MacOS/quillstone-setup";

long statusField(pid_t pid, const std::string& field) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::stol(line.substr(field.size() + 1));
        }
    }
    return -1;
}

std::unique_ptr<ChildProcess> setupProcess(const TemporaryFolder& home, std::vector<std::string> arguments,
                                           bool display) {
    std::vector<std::string> variables{"-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "DBUS_SESSION_BUS_ADDRESS",
                                       "HOME=" + home.path().string(),
                                       "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                       "XDG_RUNTIME_DIR=" + home.path().string()};
    variables.push_back(display ? "QT_QPA_PLATFORM=offscreen" : "QT_QPA_PLATFORM=");
    variables.push_back(setupProgram.string());
    variables.insert(variables.end(), arguments.begin(), arguments.end());
    auto child = std::make_unique<ChildProcess>("/usr/bin/env", variables);
    child->setStandardError(ChildProcess::Stream::null);
    return child;
}

void BareSpawnOfTrue(benchmark::State& state) {
    for (auto _ : state) {
        ChildProcess task("/bin/true", {});
        task.setStandardOutput(ChildProcess::Stream::null);
        task.launch();
        task.waitUntilExit();
    }
}
BENCHMARK(BareSpawnOfTrue)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// Folder, two files, 20 ms polling and clean-up: the whole registry path.
void RegistryRunOfTrue(benchmark::State& state) {
    TemporaryFolder temporary;
    QuillstoneProcessRegistry registry{temporary.path()};
    for (auto _ : state) {
        ChildProcess task("/bin/true", {});
        benchmark::DoNotOptimize(registry.runCapturingOutput(task));
    }
}
BENCHMARK(RegistryRunOfTrue)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// A command that takes 100 ms: the registry's overhead on a realistic tool.
void RegistryRunOf100ms(benchmark::State& state) {
    TemporaryFolder temporary;
    QuillstoneProcessRegistry registry{temporary.path()};
    for (auto _ : state) {
        ChildProcess task("/bin/sleep", {"0.1"});
        registry.runCapturingOutput(task);
    }
}
BENCHMARK(RegistryRunOf100ms)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly();

// From launch to the wizard having recorded itself (offscreen).
void WizardStart(benchmark::State& state) {
    for (auto _ : state) {
        TemporaryFolder home;
        PosixFileManager files{UserDomain::rootedAt(home.path())};
        QuillstoneSetupSession session{files};
        auto wizard = setupProcess(home, {}, true);
        wizard->launch();
        while (!session.readRecord() && wizard->isRunning()) {
            std::this_thread::sleep_for(1ms);
        }
        state.PauseTiming();
        ::kill(wizard->processIdentifier(), SIGTERM);
        wizard->waitUntilExit();
        state.ResumeTiming();
    }
}
BENCHMARK(WizardStart)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly();

// Resident memory and wake-ups of a monitor-mode process left alone for 3 s.
void IdleMonitor(benchmark::State& state) {
    TemporaryFolder home;
    for (auto _ : state) {
        auto monitor = setupProcess(home, {"--quillstone-sd4-monitor"}, false);
        monitor->launch();
        std::this_thread::sleep_for(1s);
        const pid_t pid = monitor->processIdentifier();
        long switchesBefore = statusField(pid, "voluntary_ctxt_switches");
        std::this_thread::sleep_for(3s);
        long switchesAfter = statusField(pid, "voluntary_ctxt_switches");
        state.counters["rss_KiB"] = static_cast<double>(statusField(pid, "VmRSS"));
        state.counters["wakeups_in_3s"] = static_cast<double>(switchesAfter - switchesBefore);
        ::kill(pid, SIGTERM);
        monitor->waitUntilExit();
    }
}
BENCHMARK(IdleMonitor)->Unit(benchmark::kSecond)->Iterations(1);

} // namespace

BENCHMARK_MAIN();
