#include "setup/monitor/SD4MonitorRuntime.h"

#include "platform/BoundedJson.h"
#include "setup/model/QuillstoneStatusDocument.h"
#include "setup/monitor/SD4RunNotificationObserver.h"

#include <algorithm>
#include <utility>
#include <stdexcept>

namespace quillstone {

SD4MonitorRuntime::Dependencies SD4MonitorRuntime::Dependencies::standard(Platform platform, Resolve resolve,
                                                                          WriteStatus writeStatus,
                                                                          FileManager& fileManager,
                                                                          const Clock& clock) {
    auto monitorLog = std::make_shared<SD4MonitorLog>(fileManager, clock);
    SD4LogFunction log = [monitorLog](const std::string& message) { monitorLog->log(message); };
    return Dependencies{QuillstoneConfigurationStore(fileManager),
                        SD4RunLedger(fileManager),
                        SD4PendingRunStore(fileManager, std::nullopt, log, clock),
                        std::move(resolve),
                        std::move(writeStatus),
                        log,
                        std::move(platform)};
}

std::shared_ptr<SD4MonitorRuntime> SD4MonitorRuntime::create(Dependencies dependencies) {
    return std::shared_ptr<SD4MonitorRuntime>(new SD4MonitorRuntime(std::move(dependencies)));
}

SD4MonitorRuntime::SD4MonitorRuntime(Dependencies dependencies)
    : configurationStore_(std::move(dependencies.configurationStore)), ledger_(std::move(dependencies.ledger)),
      pendingRuns_(std::move(dependencies.pendingRuns)), resolve_(std::move(dependencies.resolve)),
      writeStatus_(std::move(dependencies.writeStatus)), log_(std::move(dependencies.log)),
      platform_(std::move(dependencies.platform)), removeLeftovers_(std::move(dependencies.removeLeftovers)) {
    if (!platform_.notificationCenter || !platform_.wakeNotifier || !platform_.mainQueue) {
        throw std::invalid_argument(missingPortText);
    }
    if (!log_) {
        log_ = [](const std::string&) {};
    }
}

SD4MonitorRuntime::~SD4MonitorRuntime() { stop(); }

bool SD4MonitorRuntime::sd4IsSelected() const {
    FileManager& files = configurationStore_.fileManager();
    try {
        if (!files.fileExists(configurationStore_.fileURL())) {
            return false;
        }
        auto configuration =
            QuillstoneConfiguration::decode(BoundedJson::readBytes(files, configurationStore_.fileURL()));
        return configuration && configuration->isComplete() && configuration->integration == QuillstoneIntegration::sd4;
    } catch (const std::exception&) {
        return false;
    }
}

void SD4MonitorRuntime::start() {
    // Whether monitoring applies is decided once per process.
    if (started_) {
        return;
    }
    started_ = true;
    if (!sd4IsSelected()) {
        log_(notStartedText);
        return;
    }
    log_(startedText);
    if (removeLeftovers_) {
        const std::size_t removed = removeLeftovers_(configurationStore_.loadOrDefault().quillstoneFolderPath);
        if (removed > 0) {
            log_(leftoversRemovedText + std::to_string(removed));
        }
    }
    if (platform_.becomeAccessory) {
        platform_.becomeAccessory();
    }
    std::weak_ptr<SD4MonitorRuntime> weakSelf = weak_from_this();
    runObserver_ = SD4RunNotificationObserver::create(platform_.notificationCenter, platform_.mainQueue, log_,
                                                      [weakSelf](const SD4RunEvent& event) {
                                                          if (auto self = weakSelf.lock()) {
                                                              self->handle(event);
                                                          }
                                                      });
    runObserver_->start();
    resumePendingRuns();
    std::weak_ptr<MainQueue> weakQueue = platform_.mainQueue;
    wakeObserver_ = platform_.wakeNotifier->addObserver([weakSelf, weakQueue] {
        if (auto queue = weakQueue.lock()) {
            queue->post([weakSelf] {
                if (auto self = weakSelf.lock()) {
                    self->resumePendingRuns();
                }
            });
        }
    });
}

void SD4MonitorRuntime::stop() {
    if (runObserver_) {
        runObserver_->stop();
        runObserver_.reset();
    }
    if (wakeObserver_) {
        platform_.wakeNotifier->removeObserver(*wakeObserver_);
        wakeObserver_.reset();
    }
}

void SD4MonitorRuntime::handle(const SD4RunEvent& event) {
    if (ledger_.hasProcessed(event)) {
        log_(alreadyProcessedText + event.runID);
        return;
    }
    arrivals_.push_back(event);
    if (arrivals_.size() > 1) {
        return; // already posted
    }
    std::weak_ptr<SD4MonitorRuntime> weakSelf = weak_from_this();
    platform_.mainQueue->post([weakSelf] {
        if (auto self = weakSelf.lock()) {
            self->queueArrivals();
        }
    });
}

void SD4MonitorRuntime::queueArrivals() {
    const std::vector<SD4RunEvent> arrived = std::exchange(arrivals_, {});
    pendingRuns_.add(arrived);
    std::vector<std::string> jobs;
    for (const SD4RunEvent& event : arrived) {
        log_(queuedText + event.runID);
        // Notified again: worth another try.
        failedRunIDs_.erase(event.runID);
        if (std::find(jobs.begin(), jobs.end(), event.copyJobID) == jobs.end()) {
            jobs.push_back(event.copyJobID);
        }
    }
    for (const std::string& job : jobs) {
        startNewestRunOf(job);
    }
}

void SD4MonitorRuntime::resumePendingRuns() {
    failedRunIDs_.clear();
    std::set<std::string> jobs;
    for (const SD4RunEvent& event : pendingRuns_.pendingEvents()) {
        if (jobs.insert(event.copyJobID).second) {
            startNewestRunOf(event.copyJobID);
        }
    }
}

void SD4MonitorRuntime::startNewestRunOf(const std::string& copyJobID) {
    std::vector<SD4RunEvent> runs;
    std::vector<std::string> superseded;
    for (const SD4RunEvent& event : pendingRuns_.pendingEvents()) {
        if (event.copyJobID != copyJobID || processingRunIDs_.count(event.runID)) {
            continue;
        }
        // Older than what the file shows, or is about to: it could only move the entry back.
        if (ledger_.hasNewerRun(event)) {
            superseded.push_back(event.runID);
            continue;
        }
        // A run the ledger already holds stays in the store untouched.
        if (!ledger_.hasProcessed(event) && !failedRunIDs_.count(event.runID)) {
            runs.push_back(event);
        }
    }
    if (!superseded.empty()) {
        pendingRuns_.remove(superseded);
        for (const std::string& runID : superseded) {
            log_(supersededText + runID);
        }
    }
    if (runs.empty() || jobsInFlight_.count(copyJobID)) {
        return; // the run in flight picks the next one when it ends
    }
    // Newest first; of two that ended at once, the later arrival.
    auto newest = std::max_element(runs.rbegin(), runs.rend(), [](const SD4RunEvent& left, const SD4RunEvent& right) {
        return left.endedAtUnixNanos < right.endedAtUnixNanos;
    });
    startProcessing(*newest);
}

void SD4MonitorRuntime::startProcessing(const SD4RunEvent& event) {
    if (!processingRunIDs_.insert(event.runID).second) {
        return;
    }
    jobsInFlight_.insert(event.copyJobID);
    std::weak_ptr<SD4MonitorRuntime> weakSelf = weak_from_this();
    platform_.mainQueue->post([weakSelf, event] {
        if (auto self = weakSelf.lock()) {
            self->process(event);
        }
    });
}

void SD4MonitorRuntime::process(const SD4RunEvent& event) {
    log_(runningShortcutText + event.runID);
    std::weak_ptr<SD4MonitorRuntime> weakSelf = weak_from_this();
    SD4ResolveResult failure;
    try {
        resolve_(event, [weakSelf, event](SD4ResolveResult result) {
            if (auto self = weakSelf.lock()) {
                self->finish(event, result);
            }
        });
        return;
    } catch (const std::exception& error) {
        failure = std::string(error.what());
    } catch (...) {
        failure = std::string(unknownErrorDescription);
    }
    finish(event, failure);
}

void SD4MonitorRuntime::finish(const SD4RunEvent& event, const SD4ResolveResult& result) {
    bool done = false;
    if (auto description = std::get_if<std::string>(&result)) {
        remainPending(event, *description);
    } else {
        done = writeAndRecord(event, std::get<SD4ResolvedRun>(result));
    }
    if (!done) {
        failedRunIDs_.insert(event.runID);
    }
    processingRunIDs_.erase(event.runID);
    jobsInFlight_.erase(event.copyJobID);
    // The next newer arrival, or, after a failure, the next older run.
    startNewestRunOf(event.copyJobID);
}

bool SD4MonitorRuntime::writeAndRecord(const SD4RunEvent& event, const SD4ResolvedRun& resolved) {
    // Runs of one job resolve in any order; the entry never moves back to an older one.
    if (ledger_.hasNewerRun(event)) {
        pendingRuns_.remove(event.runID);
        log_(supersededText + event.runID);
        return true;
    }
    // The end time reaches the ledger before the entry reaches the status file:
    // should the process die in between, an older run still pending cannot
    // replace the entry after the restart. Best effort: a ledger that cannot be
    // saved must not keep the run from the user's status file.
    ledger_.claim(event);
    if (ledger_.hasUnsavedChanges()) {
        ledger_.save();
    }
    // The folder is re-read for every write; the integration was settled at start.
    const QuillstoneConfiguration configuration = configurationStore_.loadOrDefault();
    const std::filesystem::path statusFile =
        std::filesystem::path(configuration.quillstoneFolderPath) / QuillstoneStatusDocument::fileName;
    try {
        writeStatus_(event, resolved, statusFile);
    } catch (const std::exception& error) {
        remainPending(event, error.what());
        return false;
    } catch (...) {
        remainPending(event, unknownErrorDescription);
        return false;
    }
    ledger_.record(event);
    if (!ledger_.save()) {
        log_(ledgerSaveFailedText + event.runID);
        return true;
    }
    pendingRuns_.remove(event.runID);
    log_(writtenText + event.runID);
    return true;
}

void SD4MonitorRuntime::remainPending(const SD4RunEvent& event, const std::string& description) {
    log_(remainsPendingText + event.runID + errorText + description);
}

} // namespace quillstone
