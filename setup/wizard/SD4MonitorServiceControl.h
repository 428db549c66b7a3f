#pragma once

#include "platform/FileManager.h"
#include "setup/service/SD4MonitorService.h"
#include "setup/wizard/QuillstoneMonitorControl.h"

namespace quillstone {

// The wizard's view of the real monitor service.
class SD4MonitorServiceControl : public QuillstoneMonitorControl {
public:
    SD4MonitorServiceControl(SD4MonitorService& service, const FileManager& fileManager)
        : service_(service), fileManager_(fileManager) {}

    bool agentPropertyListExists() override {
        return fileManager_.fileExists(service_.launchAgentPlistURL(SD4MonitorService::monitorLabel));
    }
    bool isMonitorLoaded() override { return service_.isMonitorLoaded(); }
    void installMonitorAgent() override { service_.installMonitorAgent(); }
    void installClassicStatusHost() override { service_.installClassicStatusHost(); }
    void uninstallMonitorAgent() override { service_.uninstallMonitorAgent(); }
    void removeSD4Monitor() override { service_.removeSD4Monitor(); }
    void removeLegacyStatusHostAgent() override {
        service_.removeAgent(service_.launchAgentPlistURL(SD4MonitorService::legacyStatusHostLabel));
    }
    void unregisterStatusHost() override { service_.statusHost().unregisterStatusHost(); }
    void upgradeMonitorService() override { service_.upgradeMonitorService(true); }

private:
    SD4MonitorService& service_;
    const FileManager& fileManager_;
};

} // namespace quillstone
