#pragma once

#include "helpers/launchctl/LaunchAgentDefinition.h"
#include "helpers/launchctl/ServiceStatus.h"

#include <filesystem>
#include <optional>
#include <string>

namespace quillstone {

// Whatever loads, supervises and stops the caller's agents: the systemd user
// manager where one answers, otherwise a supervisor of our own.
// Failures throw LaunchctlError with launchctl's message and status.
class ServiceManager {
public:
    virtual ~ServiceManager() = default;
    // Loads the agent; starts it at once when it runs at load.
    virtual void bootstrap(const LaunchAgentDefinition& definition, const std::filesystem::path& plistPath) = 0;
    // Stops the agent for good and unloads it; throws when it is not loaded.
    virtual void bootout(const std::string& label) = 0;
    // nullopt when the service is not loaded.
    virtual std::optional<ServiceStatus> status(const std::string& label) = 0;
    // Starts the agent if it is not running; with killFirst, restarts a running one.
    virtual void kickstart(const std::string& label, bool killFirst) = 0;
};

} // namespace quillstone
