#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// Runs a command-line tool to completion with an argument vector (no shell,
// no time-out). Silenced sends standard output and error to the null device;
// otherwise both are inherited. Launch failures throw ProcessLaunchError.
class CommandRunner {
public:
    virtual ~CommandRunner() = default;
    // True exactly when the tool exited normally with status 0.
    virtual bool run(const std::filesystem::path& tool, const std::vector<std::string>& arguments,
                     bool silenced) = 0;
};

} // namespace quillstone
