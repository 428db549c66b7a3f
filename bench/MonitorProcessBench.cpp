// What the running monitor costs a user: the time from SuperDuper!'s
// notification to a written backup_status.json with an instant Shortcut,
// split into the Shortcut's own process time and the monitor's; and what a
// listening monitor costs while nothing happens (memory, wake-ups).
#include "platform/ChildProcess.h"
#include "platform/FileManager.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "support/PrivateSessionBus.h"
#include "support/TemporaryFolder.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <fstream>
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

void post(const std::string& runID) {
    QDBusMessage signal = QDBusMessage::createSignal("/", "com.shirtpocket.SuperDuper", "runFinished");
    QVariantMap userInfo{{"version", qlonglong(1)},
                         {"copy_job_id", "JOB-1"},
                         {"run_id", QString::fromStdString(runID)},
                         {"outcome", "succeeded"},
                         {"is_catchup", false},
                         {"ended_at_unix_nanos", qlonglong(1717171717000000000)}};
    signal << userInfo;
    QDBusConnection::sessionBus().send(signal);
    QDBusConnection::sessionBus().call(QDBusMessage::createMethodCall(
        "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", "GetId")); // flush
}

} // namespace

int main(int argc, char** argv) {
    const int runs = 50;
    testing::TemporaryFolder home;
    testing::PrivateSessionBus bus;
    QCoreApplication application(argc, argv);

    fs::path bundle = home.path() / "Quillstone.app";
    fs::create_directories(bundle / "Contents/MacOS");
    fs::create_directories(bundle / "Contents/Helpers");
    fs::create_directories(home.path() / "tmp");
    fs::copy_file(builtBundle / "Contents/Info.plist", bundle / "Contents/Info.plist");
    fs::copy_file(builtBundle / "Contents/MacOS/quillstone-setup", bundle / "Contents/MacOS/quillstone-setup");
    fs::path launchctl = bundle / "Contents/Helpers/launchctl";
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

    ChildProcess monitor("/usr/bin/env", {"HOME=" + home.path().string(),
                                          "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                          "TMPDIR=" + (home.path() / "tmp").string(),
                                          (bundle / "Contents/MacOS/quillstone-setup").string(),
                                          "--quillstone-sd4-monitor"});
    monitor.setStandardInput(ChildProcess::Stream::null);
    monitor.launch();
    if (!waitForLine(log, "distributed notification observer registered")) {
        std::fprintf(stderr, "the monitor did not start listening\n");
        return 1;
    }

    std::vector<double> totals;
    for (int run = 0; run < runs; ++run) {
        std::string runID = "RUN-" + std::to_string(run);
        auto start = steady_clock::now();
        post(runID);
        if (!waitForLine(log, "status written for: " + runID)) {
            std::fprintf(stderr, "run %s was not written\n", runID.c_str());
            return 1;
        }
        totals.push_back(duration<double, std::milli>(steady_clock::now() - start).count());
    }
    double total = median(totals);
    double child = median(childTimes);
    std::printf("notification to written status file, median of %d: %.2f ms\n", runs, total);
    std::printf("  the Shortcut's process (launchctl + Shortcut, run alone): %.2f ms\n", child);
    std::printf("  the monitor's own share: %.2f ms (%.0f%% of the whole; budget well under 50 ms)\n", total - child,
                100.0 * (total - child) / total);

    std::this_thread::sleep_for(10s);
    pid_t pid = monitor.processIdentifier();
    long rss = statusField(pid, "VmRSS");
    long before = statusField(pid, "voluntary_ctxt_switches") + statusField(pid, "nonvoluntary_ctxt_switches");
    std::this_thread::sleep_for(10s);
    long after = statusField(pid, "voluntary_ctxt_switches") + statusField(pid, "nonvoluntary_ctxt_switches");
    std::printf("listening monitor after %d runs and 10 s idle: resident %.1f MiB (budget 16 MiB)\n", runs,
                rss / 1024.0);
    std::printf("  wake-ups over the next 10 s, all threads: %ld (budget: none periodic)\n", after - before);

    ::kill(pid, SIGTERM);
    monitor.waitUntilExit();
    return 0;
}
