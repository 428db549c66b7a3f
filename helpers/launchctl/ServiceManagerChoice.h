#pragma once

#include "helpers/launchctl/ServiceManager.h"
#include "helpers/launchctl/SupervisorStateFolder.h"
#include "helpers/launchctl/Systemctl.h"
#include "platform/FileManager.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// Picks the service manager for this machine on first use: the systemd user
// manager when `systemctl --user` answers, otherwise the own supervisor.
// QUILLSTONE_SYSTEMCTL names another systemctl (tests use a recording fake).
class ServiceManagerChoice {
public:
    ServiceManagerChoice(FileManager& files, char** environment);
    ~ServiceManagerChoice();
    ServiceManager& manager();

    // QUILLSTONE_SYSTEMCTL, else systemctl along PATH when a user manager's socket
    // exists; empty when there is none.
    static std::string systemctlProgram(const std::vector<std::string>& environment);

private:
    FileManager& files_;
    std::vector<std::string> environment_;
    std::optional<SupervisorStateFolder> state_;
    std::unique_ptr<ProcessSystemctl> systemctl_;
    std::unique_ptr<ServiceManager> manager_;
};

} // namespace quillstone
