#pragma once

#include "status/StatusBackup.h"

#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// What Quillstone Status reads of backup_status.json. Decoding is strict:
// any required key missing or of another type fails the whole document.
struct StatusDocument {
    std::vector<StatusBackup> backups;

    static std::optional<StatusDocument> decode(const std::string& bytes);
};

} // namespace quillstone
