#include "setup/service/SD4MonitorService.h"

#include "platform/StandardizedPath.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/SD4AgentPropertyList.h"
#include "setup/service/SD4MonitorServiceError.h"

#include <stdexcept>

namespace quillstone {

namespace fs = std::filesystem;
using Code = SD4MonitorServiceError::Code;

SD4MonitorService::SD4MonitorService(Collaborators collaborators)
    : with_(std::move(collaborators)), componentsStore_(with_.fileManager) {
    if (!with_.removeMonitorState) {
        throw std::invalid_argument("SD4MonitorService needs a way to remove the monitor's state.");
    }
}

fs::path SD4MonitorService::launchAgentPlistURL(const std::string& label) const {
    return with_.layout.launchAgentsFolder / (label + ".plist");
}

std::string SD4MonitorService::domainTarget() const { return "gui/" + std::to_string(with_.user.userID); }

std::string SD4MonitorService::serviceTarget(const std::string& label) const { return domainTarget() + "/" + label; }

void SD4MonitorService::runLaunchctl(const std::vector<std::string>& arguments, bool silenced) {
    if (!with_.commandRunner.run(with_.layout.tools.launchctl, arguments, silenced)) {
        throw SD4MonitorServiceError(Code::launchctlFailed);
    }
}

void SD4MonitorService::bootoutAgent(const std::string& label) { runLaunchctl({"bootout", serviceTarget(label)}, true); }

void SD4MonitorService::ignoringFailure(const std::function<void()>& step) noexcept {
    try {
        step();
    } catch (...) {
        // Best effort by design; the caller carries on.
    }
}

void SD4MonitorService::removeAgent(const fs::path& plistURL) {
    ignoringFailure([&] { bootoutAgent(plistURL.stem().string()); });
    if (with_.fileManager.fileExists(plistURL)) {
        with_.fileManager.removeFile(plistURL);
    }
}

void SD4MonitorService::writeAndBootstrapAgent(const std::string& label, const std::string& programArgument,
                                               const fs::path& executable, const std::string& processType,
                                               const fs::path& plistURL) {
    SD4AgentPropertyList plist{label, executable, programArgument, processType, with_.fileManager.userDomain().home,
                               with_.user.loginName};
    with_.fileManager.replaceAtomically(plistURL, plist.xml(), 0644);
    ignoringFailure([&] { bootoutAgent(label); });
    runLaunchctl({"enable", serviceTarget(label)}, false);
    runLaunchctl({"bootstrap", domainTarget(), plistURL.string()}, false);
}

bool SD4MonitorService::isMonitorLoaded() {
    try {
        return with_.commandRunner.run(with_.layout.tools.launchctl, {"print", serviceTarget(monitorLabel)}, true);
    } catch (...) {
        return false;
    }
}

bool SD4MonitorService::agentTargetsCurrentExecutable() {
    auto executable = executableURL();
    if (!executable) {
        return false;
    }
    std::optional<std::string> first;
    try {
        first = SD4AgentPropertyList::firstProgramArgument(
            with_.fileManager.readFile(launchAgentPlistURL(monitorLabel)));
    } catch (const std::exception&) {
        return false;
    }
    return first && standardizedPath(*first) == standardizedPath(*executable);
}

std::optional<fs::path> SD4MonitorService::executableURL() const {
    fs::path executable = with_.mainBundle.executable();
    if (!with_.fileManager.fileExists(executable)) {
        return std::nullopt;
    }
    return executable;
}

void SD4MonitorService::installMonitorAgent() {
    auto executable = executableURL();
    if (!executable) {
        throw SD4MonitorServiceError(Code::missingExecutable);
    }
    with_.fileManager.createDirectories(with_.layout.launchAgentsFolder);
    ignoringFailure([&] { removeAgent(launchAgentPlistURL(legacyStatusHostLabel)); });
    const fs::path plistURL = launchAgentPlistURL(monitorLabel);
    try {
        writeAndBootstrapAgent(monitorLabel, monitorArgument, *executable,
                               SD4AgentPropertyList::backgroundProcessType, plistURL);
        with_.statusHost.registerStatusHost();
        componentsStore_.save(QuillstoneInstalledComponents::current(QuillstoneIntegration::sd4, with_.mainBundle));
    } catch (...) {
        // A failed activation must not leave a running monitor or status host behind.
        ignoringFailure([&] { removeAgent(plistURL); });
        ignoringFailure([&] { with_.statusHost.unregisterStatusHost(); });
        throw;
    }
}

void SD4MonitorService::installClassicStatusHost() {
    ignoringFailure([&] { removeAgent(launchAgentPlistURL(legacyStatusHostLabel)); });
    with_.statusHost.registerStatusHost();
    componentsStore_.save(QuillstoneInstalledComponents::current(QuillstoneIntegration::classic, with_.mainBundle));
}

void SD4MonitorService::uninstallMonitorAgent() {
    std::exception_ptr agentFailure;
    std::exception_ptr statusHostFailure;
    try {
        removeAgent(launchAgentPlistURL(monitorLabel));
    } catch (...) {
        agentFailure = std::current_exception();
    }
    ignoringFailure([&] { removeAgent(launchAgentPlistURL(legacyStatusHostLabel)); });
    try {
        with_.statusHost.unregisterStatusHost();
    } catch (...) {
        statusHostFailure = std::current_exception();
    }
    if (agentFailure) {
        std::rethrow_exception(agentFailure);
    }
    if (statusHostFailure) {
        std::rethrow_exception(statusHostFailure);
    }
    componentsStore_.remove();
}

void SD4MonitorService::removeSD4Monitor() {
    uninstallMonitorAgent();
    QuillstoneConfigurationStore(with_.fileManager).remove();
    with_.removeMonitorState();
}

bool SD4MonitorService::upgradeMonitorService(bool force) {
    const fs::path plistURL = launchAgentPlistURL(monitorLabel);
    const bool workerPresent = with_.fileManager.fileExists(plistURL) || isMonitorLoaded();
    const bool statusHostPresent = with_.statusHost.isStatusHostInstalled();
    if (!workerPresent && !statusHostPresent) {
        return false;
    }

    auto configuration = QuillstoneConfigurationStore(with_.fileManager).loadComplete();
    if (!configuration) {
        throw SD4MonitorServiceError(Code::missingUpgradeConfiguration);
    }
    const auto integration = configuration->integration;
    const auto desired = QuillstoneInstalledComponents::current(integration, with_.mainBundle);

    if (!force) {
        auto stored = componentsStore_.load();
        bool current = stored && *stored == desired;
        if (current && integration == QuillstoneIntegration::sd4 && workerPresent) {
            current = agentTargetsCurrentExecutable();
        }
        if (current) {
            return false;
        }
    }

    if (integration == QuillstoneIntegration::classic) {
        if (workerPresent) {
            throw SD4MonitorServiceError(Code::inconsistentUpgradeState);
        }
        if (!statusHostPresent) {
            return false;
        }
        with_.statusHost.registerStatusHost();
    } else {
        if (workerPresent) {
            auto executable = executableURL();
            if (!executable) {
                throw SD4MonitorServiceError(Code::missingExecutable);
            }
            writeAndBootstrapAgent(monitorLabel, monitorArgument, *executable,
                                   SD4AgentPropertyList::backgroundProcessType, plistURL);
        }
        if (statusHostPresent) {
            with_.statusHost.registerStatusHost();
        }
    }
    componentsStore_.save(desired);
    return true;
}

} // namespace quillstone
