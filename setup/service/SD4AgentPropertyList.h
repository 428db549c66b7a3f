#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quillstone {

// The LaunchAgent property list launchd runs the monitor from: exactly seven
// keys, no output paths.
struct SD4AgentPropertyList {
    static constexpr const char* backgroundProcessType = "Background";
    static constexpr const char* sessionType = "Aqua";
    static constexpr const char* searchPath = "/usr/bin:/bin:/usr/sbin:/sbin";

    std::string label;
    std::filesystem::path executable;
    std::string programArgument;
    std::string processType;
    std::filesystem::path home;
    std::string loginName;

    // XML property list, version 1.0. Throws when it cannot be encoded.
    std::string xml() const;

    // The first "ProgramArguments" entry of stored property-list bytes; nullopt
    // unless the root is a dictionary with a non-empty array of strings there.
    static std::optional<std::string> firstProgramArgument(const std::string& bytes);
};

} // namespace quillstone
