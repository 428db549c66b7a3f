#pragma once

#include "platform/Clock.h"
#include "platform/DistributedNotificationCenter.h"
#include "platform/FileManager.h"
#include "platform/MainQueue.h"
#include "platform/WakeNotifier.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/monitor/SD4MonitorLog.h"
#include "setup/monitor/SD4PendingRunStore.h"
#include "setup/monitor/SD4ResolvedRun.h"
#include "setup/monitor/SD4RunEvent.h"
#include "setup/monitor/SD4RunLedger.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>

namespace quillstone {

class SD4RunNotificationObserver;

// The headless monitor: turns each run-finished event into a status entry,
// keeping every run pending until its entry is written and the ledger saved.
// Per copy job one run is resolved at a time, the newest pending first: once
// it is written the older ones leave without a Shortcut run; should it fail,
// the next older one is tried. Jobs resolve side by side. State lives on the main queue only; resolving
// runs beside it (a Shortcut process the loop watches). Held by a shared_ptr
// so that handlers and tasks can tell whether it still exists.
class SD4MonitorRuntime : public std::enable_shared_from_this<SD4MonitorRuntime> {
public:
    // Starts resolving and returns at once; `done` runs once, later, on the
    // main queue, with the run or the error's description. May throw
    // std::exception instead of starting.
    using Resolve = std::function<void(const SD4RunEvent&, std::function<void(SD4ResolveResult)> done)>;
    // Called on the main queue; throws std::exception whose what() is the description.
    using WriteStatus =
        std::function<void(const SD4RunEvent&, const SD4ResolvedRun&, const std::filesystem::path& statusFile)>;

    static constexpr const char* notStartedText = "monitor not started because SD4 is not selected";
    static constexpr const char* startedText = "monitor runtime started";
    static constexpr const char* alreadyProcessedText = "run already processed: ";
    static constexpr const char* queuedText = "run queued: ";
    static constexpr const char* runningShortcutText = "running detail Shortcut for: ";
    static constexpr const char* remainsPendingText = "run remains pending: ";
    static constexpr const char* errorText = ", error=";
    static constexpr const char* ledgerSaveFailedText = "status written but ledger save failed for: ";
    static constexpr const char* writtenText = "status written for: ";
    static constexpr const char* leftoversRemovedText = "removed leftovers of an earlier monitor: ";
    static constexpr const char* supersededText = "run dropped, a newer run of its job is already written: ";
    // For a failure that came without a description.
    static constexpr const char* unknownErrorDescription = "unknown error";
    // A programming error: every platform port but becomeAccessory is required.
    static constexpr const char* missingPortText = "The SD4 monitor needs a notification center, a wake notifier "
                                                   "and a main queue.";

    // The event sources and queues of the running program.
    struct Platform {
        std::shared_ptr<DistributedNotificationCenter> notificationCenter;
        std::shared_ptr<WakeNotifier> wakeNotifier;
        std::shared_ptr<MainQueue> mainQueue;
        // Become a background (accessory) application and hide any window; may be empty.
        std::function<void()> becomeAccessory;
    };

    struct Dependencies {
        QuillstoneConfigurationStore configurationStore;
        SD4RunLedger ledger;
        SD4PendingRunStore pendingRuns;
        Resolve resolve;
        WriteStatus writeStatus;
        SD4LogFunction log;
        Platform platform;
        // Removes what a killed monitor left behind, given the status folder, and
        // answers how many items; empty while another monitor may be running.
        std::function<std::size_t(const std::filesystem::path& statusFolder)> removeLeftovers = {};

        // The stores at their usual places in the support folder, logging to sd4-monitor.log.
        static Dependencies standard(Platform platform, Resolve resolve, WriteStatus writeStatus,
                                     FileManager& fileManager = PosixFileManager::shared(),
                                     const Clock& clock = SystemClock::shared());
    };

    // Throws std::invalid_argument when a required platform port is missing.
    static std::shared_ptr<SD4MonitorRuntime> create(Dependencies dependencies);
    ~SD4MonitorRuntime();
    SD4MonitorRuntime(const SD4MonitorRuntime&) = delete;
    SD4MonitorRuntime& operator=(const SD4MonitorRuntime&) = delete;

    // Decides once whether SD4 monitoring applies; if so listens and resumes pending runs.
    void start();
    // Stops listening; runs already being processed carry on.
    void stop();
    // One accepted run-finished event, on the main queue. It is queued (saved
    // in the pending store) by a task posted to the main queue, together with
    // the others of its burst, before any work on it begins.
    void handle(const SD4RunEvent& event);

    bool isListening() const { return runObserver_ != nullptr; }
    const std::set<std::string>& processingRunIDs() const { return processingRunIDs_; }
    const SD4RunLedger& ledger() const { return ledger_; }
    const SD4PendingRunStore& pendingRuns() const { return pendingRuns_; }

private:
    explicit SD4MonitorRuntime(Dependencies dependencies);
    bool sd4IsSelected() const;
    void resumePendingRuns();
    void queueArrivals();
    void startNewestRunOf(const std::string& copyJobID);
    void startProcessing(const SD4RunEvent& event);
    void process(const SD4RunEvent& event);
    void finish(const SD4RunEvent& event, const SD4ResolveResult& result);
    // False when the run stays pending for a later resumption.
    bool writeAndRecord(const SD4RunEvent& event, const SD4ResolvedRun& resolved);
    void remainPending(const SD4RunEvent& event, const std::string& description);

    QuillstoneConfigurationStore configurationStore_;
    SD4RunLedger ledger_;
    SD4PendingRunStore pendingRuns_;
    Resolve resolve_;
    WriteStatus writeStatus_;
    SD4LogFunction log_;
    Platform platform_;
    std::function<std::size_t(const std::filesystem::path&)> removeLeftovers_;
    std::set<std::string> processingRunIDs_;
    std::set<std::string> jobsInFlight_;
    // Accepted events not yet in the pending store: a burst is saved once.
    std::vector<SD4RunEvent> arrivals_;
    // Failed since the last start or wake; tried again at the next one.
    std::set<std::string> failedRunIDs_;
    std::shared_ptr<SD4RunNotificationObserver> runObserver_;
    std::optional<WakeNotifier::Token> wakeObserver_;
    bool started_ = false;
};

} // namespace quillstone
