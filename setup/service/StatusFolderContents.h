#pragma once

#include "platform/FileManager.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// What an earlier installation left in a status folder.
struct StatusFolderContents {
    static constexpr const char* monitorScriptName = "BackupMonitor.sh";
    static constexpr const char* statusFileName = "backup_status.json";
    static constexpr const char* logsName = "logs";

    static constexpr const char* statusFileLabel = "Existing backup status";
    static constexpr const char* logsLabel = "Existing backup logs";
    static constexpr const char* monitorScriptLabel = "Existing BackupMonitor.sh";
    static constexpr const char* otherFilesLabel = "Other Quillstone files";

    bool hasMonitorScript = false;
    bool hasStatusFile = false;
    bool hasLogs = false;
    bool hasOtherFiles = false;

    bool operator==(const StatusFolderContents&) const = default;
};

// Looks without changing anything; an unlistable folder has no other files.
StatusFolderContents inspectStatusFolder(const std::filesystem::path& folderURL, const FileManager& fileManager);
// The wizard's list: status, logs, script, other files, each only when present.
std::vector<std::string> existingItemLabels(const StatusFolderContents& contents);

} // namespace quillstone
