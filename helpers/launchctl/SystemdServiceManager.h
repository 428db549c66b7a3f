#pragma once

#include "helpers/launchctl/ServiceManager.h"
#include "helpers/launchctl/SupervisorSettings.h"
#include "helpers/launchctl/Systemctl.h"
#include "platform/FileManager.h"

#include <map>
#include <string>
#include <vector>

namespace quillstone {

// Carries agents as systemd user units: bootstrap writes the unit, reloads the
// manager and starts it; bootout stops, disables and removes it.
class SystemdServiceManager : public ServiceManager {
public:
    static constexpr const char* systemctlFailedText = "systemctl --user failed: ";

    SystemdServiceManager(FileManager& files, Systemctl& systemctl, std::filesystem::path unitFolder,
                          SupervisorSettings settings, std::vector<std::string> sessionEnvironment);

    // $XDG_CONFIG_HOME/systemd/user, else ~/.config/systemd/user.
    static std::filesystem::path defaultUnitFolder();

    void bootstrap(const LaunchAgentDefinition& definition, const std::filesystem::path& plistPath) override;
    void bootout(const std::string& label) override;
    std::optional<ServiceStatus> status(const std::string& label) override;
    void kickstart(const std::string& label, bool killFirst) override;

private:
    std::filesystem::path unitPath(const std::string& label) const;
    bool call(const std::vector<std::string>& arguments, std::string* output = nullptr);
    std::map<std::string, std::string> show(const std::string& unit);

    FileManager& files_;
    Systemctl& systemctl_;
    std::filesystem::path unitFolder_;
    SupervisorSettings settings_;
    std::vector<std::string> sessionEnvironment_;
};

} // namespace quillstone
