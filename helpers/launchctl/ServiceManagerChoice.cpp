#include "helpers/launchctl/ServiceManagerChoice.h"

#include "helpers/launchctl/AgentProcess.h"
#include "helpers/launchctl/SupervisedServiceManager.h"
#include "helpers/launchctl/SystemdServiceManager.h"

#include <cstdlib>

namespace quillstone {

ServiceManagerChoice::ServiceManagerChoice(FileManager& files, char** environment) : files_(files) {
    for (char** entry = environment; entry != nullptr && *entry != nullptr; ++entry) {
        environment_.emplace_back(*entry);
    }
}

ServiceManagerChoice::~ServiceManagerChoice() = default;

std::string ServiceManagerChoice::systemctlProgram(const std::vector<std::string>& environment) {
    for (const auto& entry : environment) {
        if (entry.rfind("QUILLSTONE_SYSTEMCTL=", 0) == 0) {
            return entry.substr(std::string("QUILLSTONE_SYSTEMCTL=").size());
        }
    }
    return AgentProcess::resolveProgram("systemctl", AgentProcess::searchPath(environment)).value_or("");
}

ServiceManager& ServiceManagerChoice::manager() {
    if (manager_) {
        return *manager_;
    }
    auto settings = SupervisorSettings::fromEnvironment();
    auto program = systemctlProgram(environment_);
    if (!program.empty()) {
        auto systemctl = std::make_unique<ProcessSystemctl>(program);
        if (systemctl->answers()) {
            systemctl_ = std::move(systemctl);
            manager_ = std::make_unique<SystemdServiceManager>(files_, *systemctl_,
                                                               SystemdServiceManager::defaultUnitFolder(), settings,
                                                               environment_);
            return *manager_;
        }
    }
    state_.emplace(files_, SupervisorStateFolder::defaultRoot());
    manager_ = std::make_unique<SupervisedServiceManager>(*state_, settings, environment_);
    return *manager_;
}

} // namespace quillstone
