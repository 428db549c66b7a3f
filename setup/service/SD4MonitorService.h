#pragma once

#include "platform/Bundle.h"
#include "platform/CommandRunner.h"
#include "platform/FileManager.h"
#include "platform/SystemLayout.h"
#include "platform/UserIdentity.h"
#include "setup/service/QuillstoneInstalledComponentsStore.h"
#include "setup/service/QuillstoneStatusHost.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// The per-user LaunchAgent that runs the monitor, tied to the status host and
// the installed-components record. Every call is synchronous and blocks while
// launchctl runs (no time-out).
class SD4MonitorService {
public:
    static constexpr const char* monitorLabel = "com.quillstone.monitor";
    static constexpr const char* legacyStatusHostLabel = "com.quillstone.statushost";
    static constexpr const char* monitorArgument = "--quillstone-sd4-monitor";

    // Deletes the monitor's run ledger, then its pending runs; throws on failure.
    using RemoveMonitorState = std::function<void()>;

    struct Collaborators {
        FileManager& fileManager;
        SystemLayout layout;
        Bundle mainBundle;
        UserIdentity user;
        CommandRunner& commandRunner;
        QuillstoneStatusHost& statusHost;
        RemoveMonitorState removeMonitorState;
    };

    explicit SD4MonitorService(Collaborators collaborators);

    std::filesystem::path launchAgentPlistURL(const std::string& label) const;
    std::string domainTarget() const;
    std::string serviceTarget(const std::string& label) const;

    // Throws SD4MonitorServiceError(launchctlFailed) on a non-zero exit.
    void runLaunchctl(const std::vector<std::string>& arguments, bool silenced);
    void bootoutAgent(const std::string& label);
    void removeAgent(const std::filesystem::path& plistURL);
    void writeAndBootstrapAgent(const std::string& label, const std::string& programArgument,
                                const std::filesystem::path& executable, const std::string& processType,
                                const std::filesystem::path& plistURL);
    // Never fails: any problem reads as not loaded.
    bool isMonitorLoaded();
    bool agentTargetsCurrentExecutable();

    void installMonitorAgent();
    void installClassicStatusHost();
    void uninstallMonitorAgent();
    void removeSD4Monitor();
    // True when something was rewritten.
    bool upgradeMonitorService(bool force);

    QuillstoneStatusHost& statusHost() { return with_.statusHost; }

private:
    std::optional<std::filesystem::path> executableURL() const;
    void ignoringFailure(const std::function<void()>& step) noexcept;

    Collaborators with_;
    QuillstoneInstalledComponentsStore componentsStore_;
};

} // namespace quillstone
