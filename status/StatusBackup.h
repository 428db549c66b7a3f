#pragma once

#include <optional>
#include <string>

namespace quillstone {

// One entry of backup_status.json; its identity in lists is `id`.
struct StatusBackup {
    static constexpr const char* successStatus = "SUCCESS";

    std::string id;
    std::string name;
    std::string status;
    std::string completedAt;
    std::optional<std::string> freeSpace;

    // Only the exact upper-case word counts as success.
    bool succeeded() const { return status == successStatus; }
    bool operator==(const StatusBackup&) const = default;
};

} // namespace quillstone
