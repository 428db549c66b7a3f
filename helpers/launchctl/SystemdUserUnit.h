#pragma once

#include "helpers/launchctl/LaunchAgentDefinition.h"
#include "helpers/launchctl/SupervisorSettings.h"

#include <filesystem>
#include <optional>
#include <string>

namespace quillstone {

// A systemd user unit that behaves like the LaunchAgent it is made from.
class SystemdUserUnit {
public:
    static constexpr const char* plistMarker = "# launchd property list: ";

    // Throws LaunchctlError (bootstrap failure) for what a unit cannot express.
    // executable is the resolved absolute path of the first program argument.
    static std::string render(const LaunchAgentDefinition& definition, const std::string& executable,
                              const std::filesystem::path& plistPath, const SupervisorSettings& settings);

    // "<label>.service"; throws when the label cannot name a unit.
    static std::string unitName(const std::string& label);

    // One ExecStart word: double-quoted with C escapes, % and $ doubled.
    static std::string quoteArgument(const std::string& argument);
    // The property list a rendered unit was made from.
    static std::optional<std::filesystem::path> plistPathOf(const std::string& unitText);
};

} // namespace quillstone
