#include "helpers/launchctl/SystemdServiceManager.h"

#include "helpers/launchctl/AgentProcess.h"
#include "helpers/launchctl/LaunchctlError.h"
#include "helpers/launchctl/SystemdUserUnit.h"

#include <cstdlib>
#include <sstream>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;

SystemdServiceManager::SystemdServiceManager(FileManager& files, Systemctl& systemctl, fs::path unitFolder,
                                             SupervisorSettings settings, std::vector<std::string> sessionEnvironment)
    : files_(files), systemctl_(systemctl), unitFolder_(std::move(unitFolder)), settings_(settings),
      sessionEnvironment_(std::move(sessionEnvironment)) {}

fs::path SystemdServiceManager::defaultUnitFolder() {
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && *config == '/') {
        return fs::path(config) / "systemd/user";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr ? home : "/") / ".config/systemd/user";
}

fs::path SystemdServiceManager::unitPath(const std::string& label) const {
    return unitFolder_ / SystemdUserUnit::unitName(label);
}

bool SystemdServiceManager::call(const std::vector<std::string>& arguments, std::string* output) {
    auto result = systemctl_.run(arguments);
    if (output != nullptr) {
        *output = result.output;
    }
    return result.status == 0;
}

void SystemdServiceManager::bootstrap(const LaunchAgentDefinition& definition, const fs::path& plistPath) {
    auto unit = SystemdUserUnit::unitName(definition.label);
    auto environment = AgentProcess::environment(definition, sessionEnvironment_);
    auto executable =
        AgentProcess::resolveProgram(definition.programArguments.front(), AgentProcess::searchPath(environment));
    if (!executable) {
        throw LaunchctlError::bootstrapFailed("the program " + definition.programArguments.front() +
                                              " does not exist or is not executable");
    }
    auto path = unitPath(definition.label);
    if (files_.fileExists(path)) {
        throw LaunchctlError(LaunchctlError::alreadyLoadedStatus, LaunchctlError::alreadyLoadedText);
    }
    auto text =
        SystemdUserUnit::render(definition, fs::absolute(*executable).string(), plistPath, settings_);
    files_.createDirectories(unitFolder_);
    files_.replaceAtomically(path, text, 0644);

    std::string failed;
    if (!call({"daemon-reload"})) {
        failed = "daemon-reload";
    } else if (definition.runAtLoad && !call({"enable", unit})) {
        failed = "enable " + unit;
    } else if (definition.runAtLoad && !call({"start", unit})) {
        failed = "start " + unit;
    }
    if (!failed.empty()) {
        // Leave nothing half-loaded behind.
        call({"disable", unit});
        files_.removeFile(path);
        call({"daemon-reload"});
        throw LaunchctlError::bootstrapFailed(systemctlFailedText + failed);
    }
}

namespace {

bool namesUnit(const std::string& label) {
    try {
        SystemdUserUnit::unitName(label);
        return true;
    } catch (const LaunchctlError&) {
        return false;
    }
}

} // namespace

void SystemdServiceManager::bootout(const std::string& label) {
    if (!namesUnit(label) || !files_.fileExists(unitPath(label))) {
        throw LaunchctlError(LaunchctlError::noSuchProcessStatus, LaunchctlError::bootoutFailedText);
    }
    auto unit = SystemdUserUnit::unitName(label);
    if (!call({"stop", unit})) {
        throw LaunchctlError(LaunchctlError::ioStatus, std::string(systemctlFailedText) + "stop " + unit);
    }
    call({"disable", unit}); // a unit that never ran at load was never enabled
    files_.removeFile(unitPath(label));
    call({"daemon-reload"});
}

std::map<std::string, std::string> SystemdServiceManager::show(const std::string& unit) {
    std::string output;
    std::map<std::string, std::string> properties;
    if (!call({"show", unit, "--property=LoadState,ActiveState,SubState,MainPID,NRestarts,ExecMainStatus"},
              &output)) {
        return properties;
    }
    std::istringstream lines(output);
    std::string line;
    while (std::getline(lines, line)) {
        auto equals = line.find('=');
        if (equals != std::string::npos) {
            properties[line.substr(0, equals)] = line.substr(equals + 1);
        }
    }
    return properties;
}

std::optional<ServiceStatus> SystemdServiceManager::status(const std::string& label) {
    if (!namesUnit(label)) {
        return std::nullopt;
    }
    auto path = unitPath(label);
    std::string text;
    try {
        text = files_.readFile(path);
    } catch (const std::exception&) {
        return std::nullopt;
    }
    auto properties = show(SystemdUserUnit::unitName(label));
    if (properties["LoadState"] != "loaded") {
        return std::nullopt;
    }
    ServiceStatus status;
    status.label = label;
    status.plistPath = SystemdUserUnit::plistPathOf(text).value_or(path);
    status.manager = "systemd --user";
    const auto& active = properties["ActiveState"];
    status.state = active == "active" ? "running" : (active == "activating" ? "waiting" : "not running");
    auto number = [&](const char* key) -> std::optional<long long> {
        const auto& value = properties[key];
        char* end = nullptr;
        long long parsed = std::strtoll(value.c_str(), &end, 10);
        if (value.empty() || end == nullptr || *end != '\0') {
            return std::nullopt;
        }
        return parsed;
    };
    if (auto pid = number("MainPID"); pid && *pid > 0) {
        status.pid = static_cast<pid_t>(*pid);
    }
    if (auto restarts = number("NRestarts"); restarts && *restarts >= 0) {
        status.runs = static_cast<unsigned>(*restarts) + (status.pid ? 1 : 0);
    }
    if (auto exit = number("ExecMainStatus"); exit && status.state != "running") {
        status.lastExitStatus = static_cast<int>(*exit);
    }
    return status;
}

void SystemdServiceManager::kickstart(const std::string& label, bool killFirst) {
    if (!namesUnit(label) || !files_.fileExists(unitPath(label))) {
        throw LaunchctlError::serviceNotFound(label, static_cast<unsigned>(::getuid()));
    }
    auto unit = SystemdUserUnit::unitName(label);
    const char* verb = killFirst ? "restart" : "start";
    if (!call({verb, unit})) {
        throw LaunchctlError(LaunchctlError::ioStatus, std::string(systemctlFailedText) + verb + " " + unit);
    }
}

} // namespace quillstone
