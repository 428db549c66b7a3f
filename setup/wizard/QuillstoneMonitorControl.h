#pragma once

namespace quillstone {

// What the wizard asks of the monitor agent and the status host. Every call is
// synchronous; the actions throw with a user-facing description.
class QuillstoneMonitorControl {
public:
    virtual ~QuillstoneMonitorControl() = default;

    // A file exists at the agent's property-list location.
    virtual bool agentPropertyListExists() = 0;
    // launchctl print for the agent succeeds; never fails.
    virtual bool isMonitorLoaded() = 0;

    virtual void installMonitorAgent() = 0;
    virtual void installClassicStatusHost() = 0;
    virtual void uninstallMonitorAgent() = 0;
    // The agent, configuration.json, the run ledger and the pending runs.
    virtual void removeSD4Monitor() = 0;
    // The property list of the old status-host agent.
    virtual void removeLegacyStatusHostAgent() = 0;
    virtual void unregisterStatusHost() = 0;
    // Points the agent at the running application and rewrites the installed-components record.
    virtual void upgradeMonitorService() = 0;
};

} // namespace quillstone
