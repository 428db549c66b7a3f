#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// Starts a program that outlives the caller: its own session, stdio on the
// null device, working folder "/", never waited for. Reports a failed exec.
class DetachedLauncher {
public:
    virtual ~DetachedLauncher() = default;
    // Throws ProcessLaunchError when the program could not be started.
    virtual void launch(const std::filesystem::path& executable, const std::vector<std::string>& arguments);
};

} // namespace quillstone
