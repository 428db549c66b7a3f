#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// The mounted volumes of this machine, hidden ones included.
class Volumes {
public:
    struct Volume {
        std::filesystem::path url;       // mount point
        std::optional<std::string> name; // absent when it cannot be read
    };

    virtual ~Volumes() = default;

    // In the system's order; an empty list when they cannot be listed.
    virtual std::vector<Volume> mountedVolumes() const = 0;
    // Bytes available to the user; absent when not reported.
    virtual std::optional<int64_t> availableCapacity(const std::filesystem::path& url) const = 0;
};

} // namespace quillstone
