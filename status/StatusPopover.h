#pragma once

#include "platform/Clock.h"
#include "status/LocalConfiguration.h"
#include "status/StatusBackup.h"
#include "status/StatusDocument.h"
#include "status/StatusRow.h"
#include "status/StatusUpdateManifest.h"

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <vector>

namespace quillstone {

class BackgroundQueue;
class CommandRunner;
class FileManager;
class HttpClient;
class MainQueue;
class MonitorAgent;
class StatusDocumentCache;
class StatusRefreshTimer;
class Workspace;

// The state of the status panel and everything it does, without drawing.
// Lives on the main thread; child processes and the network run on the
// background queue and come back through the main queue. Every change is
// announced through the one observer callback.
class StatusPopover {
public:
    static constexpr const char* classicReadyText = "Classic status ready";
    static constexpr const char* classicIncompleteText = "Classic setup incomplete";
    static constexpr const char* monitorActiveText = "Monitor active";
    static constexpr const char* monitorStoppedText = "Monitor stopped";
    static constexpr const char* restartFailedText = "Restart failed.";
    static constexpr const char* restartedText = "The monitor was restarted.";
    static constexpr const char* couldNotStartText = "The monitor could not be started.";

    static constexpr std::chrono::milliseconds refreshInterval{5000};

    // Everything handed in. The references must outlive the popover and any
    // work it has put on the background queue.
    struct Collaborators {
        FileManager& files;              // configuration.json and backup_status.json; its user domain
        CommandRunner& commands;         // launchctl print and kickstart
        std::filesystem::path launchctl; // the launchctl tool
        uid_t userID = 0;                // the real user id of the gui/<uid> domain
        HttpClient& http;
        Workspace& workspace;            // opens the download address
        const Clock& clock;
        MainQueue& mainQueue;
        BackgroundQueue& backgroundQueue;
        StatusRefreshTimer& statusRefreshTimer;
        std::string updateManifestURL;               // empty: never check for updates
        std::optional<std::string> currentVersion;   // CFBundleShortVersionString
        std::optional<std::string> currentBuild;     // CFBundleVersion
    };

    // Reads the configuration, the monitor's activity and the status file
    // once, synchronously, as the initial state.
    explicit StatusPopover(Collaborators collaborators);
    ~StatusPopover();
    StatusPopover(const StatusPopover&) = delete;
    StatusPopover& operator=(const StatusPopover&) = delete;

    // Called on the main thread after every change of the state below.
    void setObserver(std::function<void()> observer);

    // The state, in its order.
    const std::optional<LocalConfiguration>& configuration() const { return configuration_; }
    bool active() const { return active_; }
    const std::optional<StatusDocument>& document() const { return document_; }
    const std::string& actionMessage() const { return actionMessage_; }
    TimePoint lastRefreshedAt() const { return lastRefreshedAt_; }
    bool refreshHovered() const { return refreshHovered_; }
    const std::optional<StatusUpdateManifest>& availableUpdate() const { return availableUpdate_; }

    // What the panel draws from it.
    std::string monitorStatusText() const;
    // Shown while the monitor is not active, unless the configuration is Classic.
    bool showsRestartButton() const;
    // One row per entry of the document, in its order; empty without a document.
    std::vector<StatusRow> rows() const;
    std::string ageText(const StatusBackup& entry) const;
    // A restart is under way; a second one is ignored until it has finished.
    bool isRestarting() const { return restarting_; }

    // The panel's first appearance: starts the refresh timer and one update
    // check. Later calls do nothing.
    void appear();
    // Re-reads configuration, activity and status file and applies the three
    // together with the time of the refresh. Leaves the message and the offer alone.
    // While one refresh is still reading, another only asks for one more reading
    // after it, so that slow reads never pile up. An unchanged status file is not
    // decoded again.
    void refresh();
    // The refresh button: refresh, clear the message, check for an update.
    void refreshAction();
    // The "Restart monitor" button: launchctl kickstart -k, then refresh and report.
    void restartMonitor();
    // Fetches the manifest; every failure clears the offer.
    void checkForUpdate();
    // Opens the offer's download address; false without an offer or when it could not be opened.
    bool openAvailableUpdate();
    void setRefreshHovered(bool hovered);

    // The three reads one refresh makes. Blocking; safe on any thread.
    std::optional<LocalConfiguration> loadConfiguration() const;
    bool isMonitorActive(const std::optional<LocalConfiguration>& configuration) const;
    std::optional<StatusDocument> loadStatusDocument(const std::optional<LocalConfiguration>& configuration) const;

    static bool isNewerVersion(const StatusUpdateManifest& manifest, std::string_view currentVersion,
                               std::int64_t currentBuild);
    // "2024-05-01T10:20:30Z", "...+02:00", or "...+0200"; no fractions.
    static std::optional<TimePoint> parseCompletionDate(std::string_view text);
    // "now", "12m", "2h 5m", "1d 4h"; an unparsable date is shown as written.
    static std::string ageText(const StatusBackup& entry, TimePoint now);

private:
    struct Reading;
    static Reading read(const FileManager& files, const MonitorAgent& agent, StatusDocumentCache& documents);
    MonitorAgent agent() const;
    void apply(Reading reading);
    bool applyRefresh(std::uint64_t generation, Reading reading);
    void applyUpdateResponse(bool transferred, int statusCode, const std::string& body);
    void changed();

    Collaborators collaborators_;
    std::optional<LocalConfiguration> configuration_;
    bool active_ = false;
    std::optional<StatusDocument> document_;
    std::string actionMessage_;
    TimePoint lastRefreshedAt_;
    bool refreshHovered_ = false;
    std::optional<StatusUpdateManifest> availableUpdate_;

    std::function<void()> observer_;
    bool appeared_ = false;
    bool restarting_ = false;
    bool reading_ = false;
    bool readAgain_ = false;
    // Shared with the background reads, which may outlive the popover.
    std::shared_ptr<StatusDocumentCache> documents_;
    std::uint64_t refreshesStarted_ = 0;
    std::uint64_t refreshesApplied_ = 0;
    // Work coming back from the background checks this before touching the popover.
    std::shared_ptr<bool> alive_;
};

} // namespace quillstone
