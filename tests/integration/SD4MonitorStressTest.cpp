// The real monitor under a burst of runs while it is SIGKILLed again and again,
// many times in the middle of writing one of its files. No accepted run may be
// lost, no entry may move back to an older run, and every version of every
// file that anyone could read must be whole. Seeded: the seed is printed and
// QUILLSTONE_STRESS_SEED repeats the plan.
#include "setup/monitor/SD4PendingRunStore.h"
#include "setup/monitor/SD4RunLedger.h"
#include "support/MonitorProcessFixture.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <map>
#include <poll.h>
#include <random>
#include <set>
#include <sys/inotify.h>
#include <thread>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace fs = std::filesystem;

namespace {

constexpr int jobCount = 20;
constexpr int runsPerJob = 10;
constexpr int minimumKills = 25;
constexpr int64_t firstEnd = 1717171717000000000;

struct PlannedRun {
    std::string jobID;
    std::string runID;
    int64_t endedAt = 0;
    int gapAfterMs = 0;
};

// Every version of the three files the poller saw, judged as it was read; read once it stopped.
struct Observations {
    int versions = 0;
    int invalid = 0;
    int duplicateEntries = 0;
    int backwardEntries = 0;
    std::map<std::string, int64_t> newestEntryEnd;
};

class SD4MonitorStressTest : public MonitorProcessFixture {
protected:
    std::map<std::string, PlannedRun> planByRun;

    // Reads the three files until told to stop; each new content is one version.
    void poll(std::atomic<bool>& stop, Observations& seen) {
        const std::vector<fs::path> watched{statusFolder / "backup_status.json", support / "sd4-run-ledger.json",
                                            support / "sd4-pending-runs.json"};
        std::vector<std::string> last(watched.size());
        while (!stop) {
            for (size_t index = 0; index < watched.size(); ++index) {
                if (!fs::exists(watched[index])) {
                    continue;
                }
                std::string bytes = readText(watched[index]);
                if (bytes == last[index]) {
                    continue;
                }
                last[index] = bytes;
                ++seen.versions;
                bool valid = index == 0   ? judgeStatus(bytes, seen)
                             : index == 1 ? SD4RunLedger::decode(bytes).has_value()
                                          : SD4PendingRunStore::decode(bytes).has_value();
                if (!valid) {
                    ++seen.invalid;
                    ADD_FAILURE() << watched[index] << " read as:\n" << bytes;
                }
            }
            std::this_thread::sleep_for(1ms);
        }
    }

    bool judgeStatus(const std::string& bytes, Observations& seen) {
        auto root = nlohmann::json::parse(bytes, nullptr, false);
        if (!root.is_object() || !root.contains("backups") || !root["backups"].is_array()) {
            return false;
        }
        std::set<std::string> jobs;
        for (const auto& entry : root["backups"]) {
            for (const char* key : {"id", "name", "status", "completedAt", "runID"}) {
                if (!entry.is_object() || !entry.contains(key) || !entry[key].is_string()) {
                    return false;
                }
            }
            const std::string job = entry["id"];
            if (!jobs.insert(job).second) {
                ++seen.duplicateEntries;
            }
            int64_t end = planByRun.at(entry["runID"]).endedAt;
            auto [newest, first] = seen.newestEntryEnd.emplace(job, end);
            if (!first && end < newest->second) {
                ++seen.backwardEntries;
            } else {
                newest->second = end;
            }
        }
        return true;
    }

    // Temporary siblings of our files and Shortcut work folders, in the three folders the test creates.
    std::vector<fs::path> leftovers() const {
        static const std::regex pattern(
            R"(\.(sd4-.*|backup_status\.json)\.[A-Za-z0-9]{6}|Quillstone-SD4-.*)");
        std::vector<fs::path> found;
        for (const fs::path& folder : {support, statusFolder, home.path() / "tmp"}) {
            for (const std::string& name : sortedNamesIn(folder)) {
                if (std::regex_match(name, pattern)) {
                    found.push_back(folder / name);
                }
            }
        }
        return found;
    }
};

// Waits for the creation of a temporary sibling of `target`, from now on.
bool waitForTemporaryOf(int inotify, const std::string& target, std::chrono::milliseconds limit) {
    const std::string prefix = "." + target + ".";
    auto deadline = std::chrono::steady_clock::now() + limit;
    alignas(inotify_event) char buffer[8192];
    pollfd waiting{inotify, POLLIN, 0};
    while (::poll(&waiting, 1, 0) > 0 && ::read(inotify, buffer, sizeof buffer) > 0) {
    }
    while (std::chrono::steady_clock::now() < deadline) {
        if (::poll(&waiting, 1, 20) <= 0) {
            continue;
        }
        ssize_t got = ::read(inotify, buffer, sizeof buffer);
        for (ssize_t at = 0; at < got;) {
            auto* event = reinterpret_cast<inotify_event*>(buffer + at);
            if (event->len > 0 && std::string(event->name).rfind(prefix, 0) == 0) {
                return true;
            }
            at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        }
    }
    return false;
}

} // namespace

TEST_F(SD4MonitorStressTest, NoAcceptedRunIsLostWhenTheMonitorIsKilledAtAnyMoment) {
    const char* given = std::getenv("QUILLSTONE_STRESS_SEED");
    const unsigned seed = given ? static_cast<unsigned>(std::strtoul(given, nullptr, 10)) : 1;
    std::cout << "stress seed " << seed << " (QUILLSTONE_STRESS_SEED=" << seed << " repeats this plan)" << std::endl;
    std::mt19937 random(seed);

    // 20 jobs, ten runs each, a second apart in end time; sent roughly in end
    // order, but shuffled enough that runs of one job sometimes arrive reversed.
    std::vector<std::pair<double, PlannedRun>> order;
    for (int run = 0; run < runsPerJob; ++run) {
        for (int job = 0; job < jobCount; ++job) {
            const std::string jobID = "JOB-" + std::to_string(job);
            const int sequence = run * jobCount + job;
            PlannedRun planned{jobID, jobID + "-RUN-" + std::to_string(run),
                               firstEnd + int64_t(sequence) * 1'000'000'000,
                               std::uniform_int_distribution<int>(0, 40)(random)};
            planByRun[planned.runID] = planned;
            order.emplace_back(sequence + std::uniform_real_distribution<double>(0, 45)(random), planned);
            writeText(helpers / ("delay-" + planned.runID),
                      std::to_string(std::uniform_int_distribution<int>(0, 50)(random) / 1000.0));
        }
    }
    std::sort(order.begin(), order.end(), [](const auto& a, const auto& b) { return a.first < b.first; });

    Observations seen;
    std::atomic<bool> stopPolling{false};
    std::thread poller([&] { poll(stopPolling, seen); });

    startListeningMonitor();
    std::atomic<bool> up{true};
    std::atomic<bool> sent{false};
    std::thread sender([&] {
        for (const auto& [at, run] : order) {
            while (!up) {
                std::this_thread::sleep_for(2ms);
            }
            emit(Payload{run.jobID, run.runID, "succeeded", false, run.endedAt}.text());
            std::this_thread::sleep_for(std::chrono::milliseconds(run.gapAfterMs));
        }
        sent = true;
    });

    // Kill at a random moment, or the instant one of the three files is being written.
    int inotify = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    ASSERT_GE(inotify, 0);
    fs::create_directories(statusFolder);
    fs::create_directories(support);
    ::inotify_add_watch(inotify, statusFolder.c_str(), IN_CREATE);
    ::inotify_add_watch(inotify, support.c_str(), IN_CREATE);
    const std::vector<std::string> targets{"", "backup_status.json", "sd4-run-ledger.json", "sd4-pending-runs.json"};
    std::map<std::string, int> killsDuring;
    int kills = 0;
    const auto started = std::chrono::steady_clock::now();
    while ((kills < minimumKills || !sent) && std::chrono::steady_clock::now() - started < 240s) {
        const std::string& target = targets[std::uniform_int_distribution<size_t>(0, targets.size() - 1)(random)];
        if (target.empty() || !waitForTemporaryOf(inotify, target, 2s)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(0, 300)(random)));
        }
        up = false;
        stopMonitor(SIGKILL);
        ++kills;
        // What the kill interrupted is what it left half-done on disk.
        for (const auto& left : leftovers()) {
            // ".<file>.XXXXXX" names the file being written.
            const std::string name = left.filename().string();
            ++killsDuring[name.substr(1, name.size() - 8)];
        }
        startListeningMonitor();
        up = true;
    }
    sender.join();
    ::close(inotify);

    // Let the last monitor finish: nothing pending but runs the ledger holds or
    // older ones (those stay by rule), and no Shortcut in flight.
    auto settled = [&] {
        const SD4RunLedger ledger(files);
        for (const auto& event : SD4PendingRunStore(files).pendingEvents()) {
            if (!ledger.hasProcessed(event) && !ledger.hasNewerRun(event)) {
                return false;
            }
        }
        return fs::is_empty(home.path() / "tmp");
    };
    const bool finished = waitFor(settled, 300s);
    stopMonitor(SIGTERM);
    stopPolling = true;
    poller.join();
    ASSERT_TRUE(finished) << "the monitor did not finish its pending runs; pending:\n"
                          << readText(support / "sd4-pending-runs.json") << "\nledger:\n"
                          << readText(support / "sd4-run-ledger.json") << "\nleft over: " << leftovers().size()
                          << "\nlog tail:\n"
                          << log().substr(log().size() > 3000 ? log().size() - 3000 : 0);

    const std::string text = log();
    auto status = nlohmann::json::parse(statusDocument());
    std::map<std::string, std::string> entryRun;
    std::set<std::string> shown;
    for (const auto& entry : status["backups"]) {
        EXPECT_TRUE(entryRun.emplace(entry["id"], entry["runID"]).second) << "two entries for " << entry["id"];
        shown.insert(entry["runID"].get<std::string>());
    }
    std::set<std::string> accepted;
    for (const auto& [runID, planned] : planByRun) {
        // A kill may fall between saving a burst of runs and logging them, or
        // between a write and its log line: what the file shows was accepted too.
        if (occurrences(text, "run queued: " + runID) > 0 || occurrences(text, "status written for: " + runID) > 0 ||
            shown.count(runID)) {
            accepted.insert(runID);
        }
    }
    const auto pendingIDs = pendingRunIDs();
    const std::set<std::string> pending(pendingIDs.begin(), pendingIDs.end());
    // A run counts as lost unless it is its job's entry, still pending, or older than the entry.
    int lost = 0, stale = 0;
    std::map<std::string, int64_t> newestAccepted;
    for (const auto& runID : accepted) {
        const PlannedRun& run = planByRun.at(runID);
        newestAccepted[run.jobID] = std::max(newestAccepted[run.jobID], run.endedAt);
        auto entry = entryRun.find(run.jobID);
        bool written = entry != entryRun.end() && planByRun.at(entry->second).endedAt >= run.endedAt;
        if (!written && !pending.count(runID)) {
            ++lost;
            ADD_FAILURE() << "lost " << runID;
        }
    }
    for (const auto& [job, newest] : newestAccepted) {
        auto entry = entryRun.find(job);
        if (entry == entryRun.end() || planByRun.at(entry->second).endedAt != newest) {
            ++stale;
            ADD_FAILURE() << job << " does not show its newest run after everything settled";
        }
    }
    int removedAtStarts = 0;
    static const std::regex removedLine(R"(\| removed leftovers of an earlier monitor: (\d+)\n)");
    for (std::sregex_iterator match(text.begin(), text.end(), removedLine), end; match != end; ++match) {
        removedAtStarts += std::stoi((*match)[1]);
    }

    std::cout << "kills " << kills << " (during a status write " << killsDuring["backup_status.json"]
              << ", a ledger save " << killsDuring["sd4-run-ledger.json"] << ", a pending save "
              << killsDuring["sd4-pending-runs.json"] << "); notifications sent " << order.size() << ", accepted "
              << accepted.size() << ", lost " << lost << ", stale jobs " << stale << "; file versions observed "
              << seen.versions << ", invalid " << seen.invalid << ", duplicate entries " << seen.duplicateEntries
              << ", entries moved back " << seen.backwardEntries << "; leftovers removed at starts "
              << removedAtStarts << "; pending at the end " << pending.size() << std::endl;
    EXPECT_GE(kills, minimumKills);
    EXPECT_GT(killsDuring["backup_status.json"], 0);
    EXPECT_GT(killsDuring["sd4-run-ledger.json"], 0);
    EXPECT_GT(killsDuring["sd4-pending-runs.json"], 0);
    EXPECT_GT(accepted.size(), order.size() / 4) << "runs must reach a listening monitor";
    EXPECT_EQ(lost, 0);
    EXPECT_EQ(seen.invalid, 0);
    EXPECT_EQ(seen.duplicateEntries, 0);
    EXPECT_EQ(seen.backwardEntries, 0);
    EXPECT_GT(removedAtStarts, 0) << "the kills should have left something to remove";
    EXPECT_EQ(leftovers(), std::vector<fs::path>{});
}
