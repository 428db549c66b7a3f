// What the running monitor costs a user: the time from SuperDuper!'s
// notification to a written backup_status.json with an instant Shortcut,
// split into the Shortcut's own process time and the monitor's; and what a
// listening monitor costs while nothing happens (memory, wake-ups), next to a
// bare sd-bus listener measured in the same run. Given the path of another
// build's quillstone-setup, that one is measured the same way for comparison.
#include "platform/ChildProcess.h"
#include "platform/FileManager.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "support/PrivateSessionBus.h"
#include "support/TemporaryFolder.h"

#include <systemd/sd-bus.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
#include <optional>
#include <thread>
#include <vector>

using namespace quillstone;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

const fs::path builtBundle = QUILLSTONE_APP_DIR;

// Answers at once; the only work is the shell's own start-up and one small write.
const char* const instantShortcut = R"SH(#!/bin/sh
while [ $# -gt 0 ]; do
  case "$1" in --input-path) input="$2"; shift ;; --output-path) output="$2"; shift ;; esac
  shift
done
run_id=$(sed -n 's/.*"run_id":"\([^"]*\)".*/\1/p' "$input")
printf '{"version":1,"job_name":"Nightly","run_id":"%s","outcome":"succeeded","summary":"Done.","source":"Mac","destination":"Backup"}' "$run_id" > "$output"
)SH";

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

long statusField(pid_t pid, const std::string& field) {
    long total = 0;
    // Every thread's wake-ups count, so sum the tasks.
    for (const auto& task : fs::directory_iterator("/proc/" + std::to_string(pid) + "/task")) {
        std::ifstream status(task.path() / "status");
        for (std::string line; std::getline(status, line);) {
            if (line.rfind(field + ":", 0) == 0) {
                total += std::stol(line.substr(field.size() + 1));
            }
        }
        if (field == "VmRSS") {
            break; // process-wide, the same in every task
        }
    }
    return total;
}

size_t countLines(const fs::path& file, const std::string& needle) {
    std::ifstream stream(file);
    size_t count = 0;
    for (std::string line; std::getline(stream, line);) {
        count += line.find(needle) != std::string::npos ? 1 : 0;
    }
    return count;
}

bool waitForLine(const fs::path& log, const std::string& needle, size_t count = 1) {
    auto deadline = steady_clock::now() + 20s;
    while (steady_clock::now() < deadline) {
        if (countLines(log, needle) >= count) {
            return true;
        }
        std::this_thread::sleep_for(200us);
    }
    return false;
}

void post(sd_bus* bus, const std::string& runID) {
    sd_bus_emit_signal(bus, "/", "com.shirtpocket.SuperDuper", "runFinished", "a{sv}", 6, "version", "x", int64_t{1},
                       "copy_job_id", "s", "JOB-1", "run_id", "s", runID.c_str(), "outcome", "s", "succeeded",
                       "is_catchup", "b", 0, "ended_at_unix_nanos", "x", int64_t{1717171717000000000});
    sd_bus_flush(bus);
}

struct IdleCost {
    long residentKiB = 0;
    long wakeUps = 0;
};

// Resident memory after 10 s of rest, and the wake-ups of the 10 s after that.
IdleCost idleCost(pid_t pid) {
    std::this_thread::sleep_for(10s);
    IdleCost cost;
    cost.residentKiB = statusField(pid, "VmRSS");
    long before = statusField(pid, "voluntary_ctxt_switches") + statusField(pid, "nonvoluntary_ctxt_switches");
    std::this_thread::sleep_for(10s);
    long after = statusField(pid, "voluntary_ctxt_switches") + statusField(pid, "nonvoluntary_ctxt_switches");
    cost.wakeUps = after - before;
    return cost;
}

struct Bench {
    fs::path home;
    fs::path launchctl;
    fs::path log;
    sd_bus* bus = nullptr;

    // Starts the given quillstone-setup in a fresh copy of the bundle, times
    // `runs` notifications to their written entries, then measures its rest.
    std::optional<std::pair<std::vector<double>, IdleCost>> measure(const fs::path& program, int runs) {
        fs::path bundle = home / ("Quillstone-" + std::to_string(++copies) + ".app");
        fs::create_directories(bundle / "Contents/MacOS");
        fs::copy(launchctl.parent_path().parent_path() / "Helpers", bundle / "Contents/Helpers");
        fs::copy_file(builtBundle / "Contents/Info.plist", bundle / "Contents/Info.plist");
        fs::copy_file(program, bundle / "Contents/MacOS/quillstone-setup");
        fs::remove_all(home / ".local/share/Quillstone/sd4-run-ledger.json");
        const size_t startedBefore = countLines(log, "distributed notification observer registered");
        ChildProcess monitor("/usr/bin/env", {"HOME=" + home.string(),
                                              "XDG_DATA_HOME=" + (home / ".local/share").string(),
                                              "TMPDIR=" + (home / "tmp").string(),
                                              (bundle / "Contents/MacOS/quillstone-setup").string(),
                                              "--quillstone-sd4-monitor"});
        monitor.setStandardInput(ChildProcess::Stream::null);
        monitor.launch();
        if (!waitForLine(log, "distributed notification observer registered", startedBefore + 1)) {
            std::fprintf(stderr, "the monitor did not start listening\n");
            return std::nullopt;
        }
        std::vector<double> totals;
        for (int run = 0; run < runs; ++run) {
            std::string runID = "RUN-" + std::to_string(copies) + "-" + std::to_string(run);
            auto start = steady_clock::now();
            post(bus, runID);
            if (!waitForLine(log, "status written for: " + runID)) {
                std::fprintf(stderr, "run %s was not written\n", runID.c_str());
                return std::nullopt;
            }
            totals.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
        }
        IdleCost cost = idleCost(monitor.processIdentifier());
        ::kill(monitor.processIdentifier(), SIGTERM);
        monitor.waitUntilExit();
        return std::make_pair(totals, cost);
    }
    int copies = 0;
};

} // namespace

int main(int argc, char** argv) {
    const int runs = 50;
    testing::TemporaryFolder home;
    testing::PrivateSessionBus bus;
    sd_bus* sender = nullptr;
    if (sd_bus_open_user(&sender) < 0) {
        std::fprintf(stderr, "no session bus\n");
        return 1;
    }

    fs::path helpers = home.path() / "Helpers-template/Contents/Helpers";
    fs::create_directories(helpers);
    fs::create_directories(home.path() / "tmp");
    fs::path launchctl = helpers / "launchctl";
    std::ofstream(launchctl) << instantShortcut;
    fs::permissions(launchctl, fs::perms::owner_all);

    PosixFileManager files{UserDomain::rootedAt(home.path())};
    QuillstoneConfigurationStore(files).save({1, QuillstoneIntegration::sd4, (home.path() / "Status").string()});
    fs::path log = home.path() / ".local/share/Quillstone/sd4-monitor.log";

    // The Shortcut's own cost: the same program run directly, as the monitor runs it.
    fs::path work = home.path() / "work";
    fs::create_directories(work);
    std::ofstream(work / "input.json") << R"({"copy_job_id":"JOB-1","run_id":"R","version":1})";
    std::vector<double> childTimes;
    for (int run = 0; run < runs; ++run) {
        auto start = steady_clock::now();
        ChildProcess child(launchctl, {"asuser", "0", "/usr/bin/shortcuts", "run", "Quillstone SuperDuper Details",
                                       "--input-path", (work / "input.json").string(), "--output-path",
                                       (work / "output.json").string(), "--output-type", "public.json"});
        child.setStandardOutput(ChildProcess::Stream::null);
        child.setStandardError(ChildProcess::Stream::pipe);
        child.launch();
        child.readStandardErrorToEnd();
        child.waitUntilExit();
        childTimes.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    }

    Bench bench{home.path(), launchctl, log, sender};
    auto measured = bench.measure(builtBundle / "Contents/MacOS/quillstone-setup", runs);
    if (!measured) {
        return 1;
    }
    double total = median(measured->first);
    double child = median(childTimes);
    std::printf("notification to written status file, median of %d: %.2f ms\n", runs, total);
    std::printf("  the Shortcut's process (launchctl + Shortcut, run alone): %.2f ms\n", child);
    std::printf("  the monitor's own share: %.2f ms (%.0f%% of the whole; budget well under 50 ms)\n", total - child,
                100.0 * (total - child) / total);

    ChildProcess bare(fs::path(argv[0]).parent_path() / "bare_sdbus_listener", {});
    bare.setStandardInput(ChildProcess::Stream::null);
    bare.launch();
    IdleCost floor = idleCost(bare.processIdentifier());
    bare.terminate();
    bare.waitUntilExit();

    const IdleCost& cost = measured->second;
    std::printf("listening monitor after %d runs and 10 s idle: resident %.1f MiB (budget 8 MiB)\n", runs,
                cost.residentKiB / 1024.0);
    std::printf("  wake-ups over the next 10 s, all threads: %ld (budget: none periodic)\n", cost.wakeUps);
    std::printf("bare sd-bus listener, same run: resident %.1f MiB, wake-ups %ld; monitor / bare = %.2f\n",
                floor.residentKiB / 1024.0, floor.wakeUps, double(cost.residentKiB) / floor.residentKiB);
    if (argc > 1) {
        auto other = bench.measure(argv[1], runs);
        if (!other) {
            return 1;
        }
        std::printf("%s: notification to written file, median %.2f ms; after %d runs resident %.1f MiB, wake-ups "
                    "%ld; this build / that = %.2f (memory), %.2f (time)\n",
                    argv[1], median(other->first), runs, other->second.residentKiB / 1024.0, other->second.wakeUps,
                    double(cost.residentKiB) / other->second.residentKiB, total / median(other->first));
    }
    sd_bus_flush_close_unref(sender);
    return 0;
}
