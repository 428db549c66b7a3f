#include "status/MonitorAgent.h"

#include "platform/CommandRunner.h"

#include <exception>
#include <unistd.h>
#include <vector>

namespace quillstone {

namespace {

// Like the file manager's executable test: a directory is not a script to run.
bool isExecutableFile(const std::filesystem::path& path) {
    std::error_code error;
    return ::access(path.c_str(), X_OK) == 0 && !std::filesystem::is_directory(path, error);
}

} // namespace

MonitorAgent::MonitorAgent(CommandRunner& commands, std::filesystem::path launchctl, uid_t userID)
    : commands_(commands), launchctl_(std::move(launchctl)), userID_(userID) {}

std::string MonitorAgent::serviceTarget() const { return "gui/" + std::to_string(userID_) + "/" + label; }

bool MonitorAgent::isActive(const std::optional<LocalConfiguration>& configuration) const {
    if (configuration && configuration->isClassic()) {
        return isExecutableFile(std::filesystem::path(configuration->quillstoneFolderPath) / classicScriptName);
    }
    return launchctl("print", false).value_or(false);
}

bool MonitorAgent::kickstart() const { return launchctl("kickstart", true).has_value(); }

std::optional<bool> MonitorAgent::launchctl(const std::string& subcommand, bool kill) const {
    std::vector<std::string> arguments{subcommand};
    if (kill) {
        arguments.push_back("-k");
    }
    arguments.push_back(serviceTarget());
    try {
        return commands_.run(launchctl_, arguments, true);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

} // namespace quillstone
