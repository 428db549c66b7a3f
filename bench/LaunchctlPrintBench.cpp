// What the status app pays every 5 seconds: one `launchctl print` of the monitor
// agent, against the bare cost of starting a program.
#include "platform/ChildProcess.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
const fs::path launchctl = fs::path(QUILLSTONE_APP_DIR) / "Contents/Helpers/launchctl";
const std::string label = "com.quillstone.bench-agent";

int run(const fs::path& program, const std::vector<std::string>& arguments) {
    quillstone::ChildProcess child(program, arguments);
    child.setStandardOutput(quillstone::ChildProcess::Stream::null);
    child.setStandardError(quillstone::ChildProcess::Stream::null);
    child.launch();
    child.waitUntilExit();
    return child.terminationStatus();
}

std::string domain() { return "gui/" + std::to_string(::getuid()); }

// A throwaway home with one loaded agent (sleep) under the own supervisor.
class LoadedAgent {
public:
    LoadedAgent() {
        std::string pattern = (fs::temp_directory_path() / "quillstone-bench-XXXXXX").string();
        home_ = ::mkdtemp(pattern.data());
        ::setenv("HOME", home_.c_str(), 1);
        ::unsetenv("XDG_RUNTIME_DIR");
        ::unsetenv("XDG_STATE_HOME");
        auto plist = home_ / "agent.plist";
        std::ofstream(plist) << "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict><key>Label</key><string>" << label
                             << "</string><key>ProgramArguments</key><array><string>/bin/sleep</string>"
                                "<string>600</string></array><key>RunAtLoad</key><true/>"
                                "<key>KeepAlive</key><true/></dict></plist>";
        ::setenv("QUILLSTONE_SYSTEMCTL", "/nonexistent", 1);
        run(launchctl, {"bootstrap", domain(), plist.string()});
    }
    ~LoadedAgent() {
        ::setenv("QUILLSTONE_SYSTEMCTL", "/nonexistent", 1);
        run(launchctl, {"bootout", domain() + "/" + label});
        fs::remove_all(home_);
    }

private:
    fs::path home_;
};

void startProgram(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(run("/bin/true", {}));
    }
}

void printLoaded(benchmark::State& state, const char* systemctl) {
    LoadedAgent agent;
    if (systemctl != nullptr) {
        ::setenv("QUILLSTONE_SYSTEMCTL", systemctl, 1);
    } else {
        ::unsetenv("QUILLSTONE_SYSTEMCTL");
    }
    for (auto _ : state) {
        if (run(launchctl, {"print", domain() + "/" + label}) != 0) {
            state.SkipWithError("print did not find the loaded agent");
            break;
        }
    }
}

void printWithoutSystemctl(benchmark::State& state) { printLoaded(state, "/nonexistent"); }
// With systemctl installed but no user manager answering (containers, CI).
void printAfterProbingSystemctl(benchmark::State& state) { printLoaded(state, nullptr); }

} // namespace

BENCHMARK(startProgram)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(printWithoutSystemctl)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(printAfterProbingSystemctl)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

BENCHMARK_MAIN();
