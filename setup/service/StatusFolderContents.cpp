#include "setup/service/StatusFolderContents.h"

#include <exception>

namespace quillstone {

StatusFolderContents inspectStatusFolder(const std::filesystem::path& folderURL, const FileManager& fileManager) {
    using Contents = StatusFolderContents;
    Contents contents;
    contents.hasMonitorScript = fileManager.fileExists(folderURL / Contents::monitorScriptName);
    contents.hasStatusFile = fileManager.fileExists(folderURL / Contents::statusFileName);
    contents.hasLogs = fileManager.fileExists(folderURL / Contents::logsName);
    try {
        for (const auto& name : fileManager.contentsOfDirectory(folderURL)) {
            if (name.starts_with(".")) {
                continue;
            }
            if (name != Contents::monitorScriptName && name != Contents::statusFileName && name != Contents::logsName) {
                contents.hasOtherFiles = true;
                break;
            }
        }
    } catch (const std::exception&) {
        contents.hasOtherFiles = false;
    }
    return contents;
}

std::vector<std::string> existingItemLabels(const StatusFolderContents& contents) {
    std::vector<std::string> labels;
    if (contents.hasStatusFile) {
        labels.emplace_back(StatusFolderContents::statusFileLabel);
    }
    if (contents.hasLogs) {
        labels.emplace_back(StatusFolderContents::logsLabel);
    }
    if (contents.hasMonitorScript) {
        labels.emplace_back(StatusFolderContents::monitorScriptLabel);
    }
    if (contents.hasOtherFiles) {
        labels.emplace_back(StatusFolderContents::otherFilesLabel);
    }
    return labels;
}

} // namespace quillstone
