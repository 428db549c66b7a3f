#include "helpers/launchctl/HelperToolMap.h"

#include <array>
#include <utility>

namespace quillstone {

HelperToolMap HelperToolMap::forRunningExecutable() {
    std::error_code error;
    auto executable = std::filesystem::read_symlink("/proc/self/exe", error);
    return HelperToolMap(executable.parent_path());
}

std::string HelperToolMap::resolve(const std::string& command) const {
    static constexpr std::array<std::pair<const char*, const char*>, 4> tools{{
        {"/usr/bin/shortcuts", "shortcuts"},
        {"/usr/bin/open", "open"},
        {"/bin/launchctl", "launchctl"},
        {"/usr/bin/osascript", "osascript"},
    }};
    for (const auto& [macPath, name] : tools) {
        if (command == macPath) {
            return (helpersFolder_ / name).string();
        }
    }
    return command;
}

} // namespace quillstone
