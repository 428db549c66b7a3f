#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillstone {

struct StatusBackup {
    std::string id;
    std::string name;
    std::string status;
    std::string completedAt;
    std::optional<std::string> freeSpace;

    bool operator==(const StatusBackup&) const = default;
};

// What Quillstone Status reads of backup_status.json. Decoding is strict:
// any required key missing or of another type fails the whole document.
struct StatusDocument {
    std::vector<StatusBackup> backups;

    static std::optional<StatusDocument> decode(const std::string& bytes);
};

} // namespace quillstone
