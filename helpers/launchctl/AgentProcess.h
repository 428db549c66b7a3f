#pragma once

#include "helpers/launchctl/LaunchAgentDefinition.h"

#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillstone {

// Starting an agent the way launchd would: its own process group, default
// signal handling, its environment on top of the session's, stdio from the
// property list or the null device. Never through a shell.
class AgentProcess {
public:
    // The agent's environment: the session's entries ("NAME=value") with the
    // property list's EnvironmentVariables taking precedence.
    static std::vector<std::string> environment(const LaunchAgentDefinition& definition,
                                                const std::vector<std::string>& session);
    // The executable for the first program argument: as given when it holds a
    // slash, else found along PATH. nullopt when nothing executable is there.
    static std::optional<std::string> resolveProgram(const std::string& program, const std::string& searchPath);
    static std::string searchPath(const std::vector<std::string>& environment);

    // Spawns the agent; throws std::system_error when it cannot be started.
    static pid_t spawn(const LaunchAgentDefinition& definition, const std::vector<std::string>& environment);
};

} // namespace quillstone
