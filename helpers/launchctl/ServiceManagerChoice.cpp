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

namespace {

std::optional<std::string> variable(const std::vector<std::string>& environment, const std::string& name) {
    for (const auto& entry : environment) {
        if (entry.size() > name.size() && entry.compare(0, name.size(), name) == 0 && entry[name.size()] == '=') {
            return entry.substr(name.size() + 1);
        }
    }
    return std::nullopt;
}

} // namespace

std::string ServiceManagerChoice::systemctlProgram(const std::vector<std::string>& environment) {
    if (auto chosen = variable(environment, "QUILLSTONE_SYSTEMCTL")) {
        return *chosen;
    }
    // A running user manager always has its private socket; without it, asking
    // systemctl (several milliseconds, on every print) cannot succeed.
    auto runtime = variable(environment, "XDG_RUNTIME_DIR");
    std::error_code error;
    if (!runtime || runtime->empty() || !std::filesystem::exists(*runtime + "/systemd/private", error)) {
        return "";
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
