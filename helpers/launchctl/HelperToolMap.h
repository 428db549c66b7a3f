#pragma once

#include <filesystem>
#include <string>

namespace quillstone {

// The macOS command-line tools the system calls by absolute path, and where
// their stand-ins live next to launchctl in the bundle's Contents/Helpers.
class HelperToolMap {
public:
    explicit HelperToolMap(std::filesystem::path helpersFolder) : helpersFolder_(std::move(helpersFolder)) {}

    // The folder holding the running launchctl (from /proc/self/exe).
    static HelperToolMap forRunningExecutable();

    // A known macOS tool path maps to its sibling stand-in; anything else is unchanged.
    std::string resolve(const std::string& command) const;

private:
    std::filesystem::path helpersFolder_;
};

} // namespace quillstone
