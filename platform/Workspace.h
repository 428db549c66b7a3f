#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// The desktop's view of installed applications and its Trash.
class Workspace {
public:
    virtual ~Workspace() = default;
    // Every application bundle the desktop knows under this identifier.
    virtual std::vector<std::filesystem::path> applicationURLs(const std::string& bundleIdentifier) const = 0;
    // Moves each item to the user's Trash; throws (with the OS message) when one cannot be moved.
    virtual void recycle(const std::vector<std::filesystem::path>& items) = 0;
    // Opens a file (absolute path) or an address (URL) with the desktop; false
    // when it could not.
    virtual bool open(const std::string& target) = 0;
};

} // namespace quillstone
