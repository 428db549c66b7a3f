#pragma once

#include "platform/Volumes.h"

#include <map>
#include <string_view>

namespace quillstone {

// Volumes from /proc/self/mountinfo and statvfs. A volume's name is its file
// system label (from the /dev/disk/by-label links), else the mount point's last
// component; "/" without a label is named "/".
class LinuxVolumes : public Volumes {
public:
    explicit LinuxVolumes(std::filesystem::path mountInfoFile = "/proc/self/mountinfo",
                          std::filesystem::path labelFolder = "/dev/disk/by-label");

    std::vector<Volume> mountedVolumes() const override;
    std::optional<int64_t> availableCapacity(const std::filesystem::path& url) const override;

    // One mountinfo line's mount point and mount source; nullopt for a malformed line.
    struct MountEntry {
        std::filesystem::path mountPoint;
        std::string source;
    };
    static std::optional<MountEntry> parseMountInfoLine(std::string_view line);
    // "\040" and friends in mountinfo; "\x20" and friends in udev's link names.
    static std::string decodeOctalEscapes(std::string_view text);
    static std::string decodeHexEscapes(std::string_view text);

private:
    // Canonical device path -> label.
    std::map<std::string, std::string> labelsByDevice() const;

    std::filesystem::path mountInfoFile_;
    std::filesystem::path labelFolder_;
};

} // namespace quillstone
