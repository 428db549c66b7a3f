#include "status/StatusPopover.h"

#include "platform/BackgroundQueue.h"
#include "platform/BoundedJson.h"
#include "platform/FileManager.h"
#include "platform/HttpClient.h"
#include "platform/MainQueue.h"
#include "platform/ReleaseVersion.h"
#include "platform/Workspace.h"
#include "status/CompletionDate.h"
#include "status/MonitorAgent.h"
#include "status/StatusDocumentCache.h"
#include "status/StatusFileLocations.h"
#include "status/StatusRefreshTimer.h"

#include <exception>
#include <utility>

namespace quillstone {

// The three values of one refresh, read together off the main thread.
struct StatusPopover::Reading {
    std::optional<LocalConfiguration> configuration;
    bool active = false;
    std::optional<StatusDocument> document;
};

namespace {

std::optional<std::string> readWholeFile(const FileManager& files, const std::filesystem::path& path) {
    try {
        return BoundedJson::readBytes(files, path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<LocalConfiguration> readConfiguration(const FileManager& files) {
    auto bytes = readWholeFile(files, StatusFileLocations::configurationFile(files.userDomain()));
    return bytes ? LocalConfiguration::decode(*bytes) : std::nullopt;
}

std::optional<StatusDocument> readDocument(const FileManager& files,
                                           const std::optional<LocalConfiguration>& configuration) {
    auto bytes = readWholeFile(files, StatusFileLocations::statusFile(configuration, files.userDomain()));
    return bytes ? StatusDocument::decode(*bytes) : std::nullopt;
}

} // namespace

StatusPopover::StatusPopover(Collaborators collaborators)
    : collaborators_(std::move(collaborators)), documents_(std::make_shared<StatusDocumentCache>()),
      alive_(std::make_shared<bool>(true)) {
    Reading initial = read(collaborators_.files, agent(), *documents_);
    configuration_ = std::move(initial.configuration);
    active_ = initial.active;
    document_ = std::move(initial.document);
    lastRefreshedAt_ = collaborators_.clock.now();
}

StatusPopover::~StatusPopover() {
    if (appeared_) {
        collaborators_.statusRefreshTimer.stop();
    }
}

void StatusPopover::setObserver(std::function<void()> observer) { observer_ = std::move(observer); }

void StatusPopover::changed() {
    if (observer_) {
        observer_();
    }
}

std::string StatusPopover::monitorStatusText() const {
    if (configuration_ && configuration_->isClassic()) {
        return active_ ? classicReadyText : classicIncompleteText;
    }
    return active_ ? monitorActiveText : monitorStoppedText;
}

bool StatusPopover::showsRestartButton() const { return !active_ && !(configuration_ && configuration_->isClassic()); }

std::vector<StatusRow> StatusPopover::rows() const {
    std::vector<StatusRow> rows;
    if (!document_) {
        return rows;
    }
    TimePoint now = collaborators_.clock.now();
    for (const auto& entry : document_->backups) {
        StatusRow row{entry.id, entry.name, entry.succeeded(),
                      entry.succeeded() ? StatusRow::succeededText : StatusRow::attentionText,
                      ageText(entry, now), std::nullopt};
        if (entry.freeSpace && !entry.freeSpace->empty()) {
            row.freeSpace = entry.freeSpace;
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

std::string StatusPopover::ageText(const StatusBackup& entry) const {
    return ageText(entry, collaborators_.clock.now());
}

std::string StatusPopover::ageText(const StatusBackup& entry, TimePoint now) {
    return CompletionDate::ageText(entry.completedAt, now);
}

std::optional<TimePoint> StatusPopover::parseCompletionDate(std::string_view text) {
    return CompletionDate::parse(text);
}

bool StatusPopover::isNewerVersion(const StatusUpdateManifest& manifest, std::string_view currentVersion,
                                   std::int64_t currentBuild) {
    return ReleaseVersion::isNewerVersion(manifest.version, manifest.build, currentVersion, currentBuild);
}

MonitorAgent StatusPopover::agent() const {
    return MonitorAgent(collaborators_.commands, collaborators_.launchctl, collaborators_.userID);
}

std::optional<LocalConfiguration> StatusPopover::loadConfiguration() const {
    return readConfiguration(collaborators_.files);
}

bool StatusPopover::isMonitorActive(const std::optional<LocalConfiguration>& configuration) const {
    return agent().isActive(configuration);
}

std::optional<StatusDocument>
StatusPopover::loadStatusDocument(const std::optional<LocalConfiguration>& configuration) const {
    return readDocument(collaborators_.files, configuration);
}

StatusPopover::Reading StatusPopover::read(const FileManager& files, const MonitorAgent& agent,
                                           StatusDocumentCache& documents) {
    Reading reading;
    reading.configuration = readConfiguration(files);
    reading.active = agent.isActive(reading.configuration);
    reading.document =
        documents.read(files, StatusFileLocations::statusFile(reading.configuration, files.userDomain()));
    return reading;
}

void StatusPopover::apply(Reading reading) {
    configuration_ = std::move(reading.configuration);
    active_ = reading.active;
    document_ = std::move(reading.document);
    lastRefreshedAt_ = collaborators_.clock.now();
}

void StatusPopover::appear() {
    if (appeared_) {
        return;
    }
    appeared_ = true;
    std::weak_ptr<bool> alive = alive_;
    collaborators_.statusRefreshTimer.start(refreshInterval, [this, alive] {
        if (alive.lock()) {
            refresh();
        }
    });
    checkForUpdate();
}

void StatusPopover::refresh() {
    if (reading_) {
        readAgain_ = true;
        return;
    }
    reading_ = true;
    std::uint64_t generation = ++refreshesStarted_;
    // The background work touches only the collaborators and the shared cache,
    // never the popover, which may be gone by the time it ends.
    std::weak_ptr<bool> alive = alive_;
    MainQueue& mainQueue = collaborators_.mainQueue;
    collaborators_.backgroundQueue.run(
        [this, alive, generation, &mainQueue, &files = collaborators_.files, agent = agent(), documents = documents_] {
            Reading reading = read(files, agent, *documents);
            mainQueue.post([this, alive, generation, reading = std::move(reading)]() mutable {
                if (!alive.lock()) {
                    return;
                }
                reading_ = false;
                if (applyRefresh(generation, std::move(reading))) {
                    changed();
                }
                if (std::exchange(readAgain_, false)) {
                    refresh();
                }
            });
        });
}

bool StatusPopover::applyRefresh(std::uint64_t generation, Reading reading) {
    // Background refreshes may end out of order; an older one never replaces a newer one.
    if (generation <= refreshesApplied_) {
        return false;
    }
    refreshesApplied_ = generation;
    apply(std::move(reading));
    return true;
}

void StatusPopover::refreshAction() {
    refresh();
    if (!actionMessage_.empty()) {
        actionMessage_.clear();
        changed();
    }
    checkForUpdate();
}

void StatusPopover::restartMonitor() {
    if (restarting_) {
        return;
    }
    restarting_ = true;
    changed();
    std::uint64_t generation = ++refreshesStarted_;
    std::weak_ptr<bool> alive = alive_;
    MainQueue& mainQueue = collaborators_.mainQueue;
    collaborators_.backgroundQueue.run(
        [this, alive, generation, &mainQueue, &files = collaborators_.files, agent = agent(), documents = documents_] {
            std::optional<Reading> reading;
            if (agent.kickstart()) {
                reading = read(files, agent, *documents);
            }
            mainQueue.post([this, alive, generation, reading = std::move(reading)]() mutable {
                if (!alive.lock()) {
                    return;
                }
                restarting_ = false;
                if (!reading) {
                    actionMessage_ = restartFailedText;
                    changed();
                    return;
                }
                // The message follows this restart's own reading, even if a newer refresh is showing.
                bool nowActive = reading->active;
                applyRefresh(generation, std::move(*reading));
                actionMessage_.clear();
                checkForUpdate();
                actionMessage_ = nowActive ? restartedText : couldNotStartText;
                changed();
            });
        });
}

void StatusPopover::checkForUpdate() {
    const std::string& address = collaborators_.updateManifestURL;
    if (address.empty()) {
        return;
    }
    std::weak_ptr<bool> alive = alive_;
    MainQueue& mainQueue = collaborators_.mainQueue;
    collaborators_.backgroundQueue.run([this, alive, address, &mainQueue, &http = collaborators_.http] {
        HttpResponse response;
        try {
            response = http.get(address);
        } catch (const std::exception&) {
            response = HttpResponse{};
        }
        mainQueue.post([this, alive, response = std::move(response)] {
            if (alive.lock()) {
                applyUpdateResponse(response.transferred, response.statusCode, response.body);
            }
        });
    });
}

void StatusPopover::applyUpdateResponse(bool transferred, int statusCode, const std::string& body) {
    std::optional<StatusUpdateManifest> offer;
    if (transferred && statusCode >= 200 && statusCode <= 299) {
        if (auto manifest = StatusUpdateManifest::decode(body)) {
            std::string currentVersion = collaborators_.currentVersion.value_or("0");
            std::int64_t currentBuild = ReleaseVersion::parseBuildNumber(collaborators_.currentBuild.value_or(""));
            if (isNewerVersion(*manifest, currentVersion, currentBuild)) {
                offer = std::move(manifest);
            }
        }
    }
    if (offer != availableUpdate_) {
        availableUpdate_ = std::move(offer);
        changed();
    }
}

bool StatusPopover::openAvailableUpdate() {
    if (!availableUpdate_) {
        return false;
    }
    try {
        return collaborators_.workspace.open(availableUpdate_->downloadURL);
    } catch (const std::exception&) {
        return false;
    }
}

void StatusPopover::setRefreshHovered(bool hovered) {
    if (hovered != refreshHovered_) {
        refreshHovered_ = hovered;
        changed();
    }
}

} // namespace quillstone
