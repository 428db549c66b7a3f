#pragma once

#include "helpers/launchctl/ServiceManager.h"
#include "helpers/launchctl/SupervisorSettings.h"
#include "helpers/launchctl/SupervisorStateFolder.h"

#include <string>
#include <vector>

namespace quillstone {

// Loads each agent under a small detached supervisor of its own, for machines
// without a systemd user manager (containers, CI).
class SupervisedServiceManager : public ServiceManager {
public:
    SupervisedServiceManager(SupervisorStateFolder& state, SupervisorSettings settings,
                             std::vector<std::string> sessionEnvironment);

    void bootstrap(const LaunchAgentDefinition& definition, const std::filesystem::path& plistPath) override;
    void bootout(const std::string& label) override;
    std::optional<ServiceStatus> status(const std::string& label) override;
    void kickstart(const std::string& label, bool killFirst) override;

private:
    void forgetStale(const std::string& label);
    void startSupervisor(const LaunchAgentDefinition& definition, const std::filesystem::path& plistPath);

    SupervisorStateFolder& state_;
    SupervisorSettings settings_;
    std::vector<std::string> sessionEnvironment_;
};

} // namespace quillstone
