#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillstone {

// What `launchctl print` shows about a loaded service.
struct ServiceStatus {
    std::string label;
    std::filesystem::path plistPath;
    std::vector<std::string> programArguments;
    std::string state; // "running", "waiting" or "not running"
    std::optional<pid_t> pid;
    std::optional<int> lastExitStatus;
    unsigned runs = 0;
    std::string manager; // which service manager carries it
};

} // namespace quillstone
