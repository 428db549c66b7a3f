#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// The parts of a LaunchAgent property list the stand-ins act on. Keys that only
// matter to launchd's scheduling on macOS (ProcessType, LimitLoadToSessionType)
// are accepted and have no effect here.
struct LaunchAgentDefinition {
    enum class KeepAlive { never, always, afterFailure };

    std::string label;
    std::vector<std::string> programArguments;
    bool runAtLoad = false;
    KeepAlive keepAlive = KeepAlive::never;
    std::map<std::string, std::string> environment;
    std::optional<std::filesystem::path> workingDirectory;
    std::optional<std::filesystem::path> standardInputPath;
    std::optional<std::filesystem::path> standardOutputPath;
    std::optional<std::filesystem::path> standardErrorPath;
    // Minimum time between two starts; launchd's default when absent.
    std::optional<std::chrono::seconds> throttleInterval;
    // Time between SIGTERM and SIGKILL when stopping; launchd's default when absent.
    std::optional<std::chrono::seconds> exitTimeout;

    // Parses an XML or binary property list. Throws LaunchctlError (bootstrap
    // failure) naming what is wrong.
    static LaunchAgentDefinition fromPropertyList(const std::string& bytes);
};

} // namespace quillstone
