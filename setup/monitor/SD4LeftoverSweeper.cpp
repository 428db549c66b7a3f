#include "setup/monitor/SD4LeftoverSweeper.h"

#include "setup/model/QuillstoneStatusDocument.h"
#include "setup/monitor/SD4MonitorLog.h"
#include "setup/monitor/SD4PendingRunStore.h"
#include "setup/monitor/SD4RunLedger.h"
#include "setup/monitor/SD4ShortcutResolver.h"

#include <cctype>
#include <sys/stat.h>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

bool isMonitorSibling(const std::string& name) {
    return SD4LeftoverSweeper::isTemporarySibling(name, SD4PendingRunStore::fileName) ||
           SD4LeftoverSweeper::isTemporarySibling(name, SD4RunLedger::fileName) ||
           SD4LeftoverSweeper::isTemporarySibling(name, SD4MonitorLog::fileName);
}

bool isStatusSibling(const std::string& name) {
    return SD4LeftoverSweeper::isTemporarySibling(name, QuillstoneStatusDocument::fileName);
}

bool isWorkFolderName(const std::string& name) { return SD4LeftoverSweeper::isWorkFolder(name); }

} // namespace

SD4LeftoverSweeper::SD4LeftoverSweeper(FileManager& fileManager, fs::path supportFolder, fs::path temporaryDirectory)
    : fileManager_(fileManager), supportFolder_(std::move(supportFolder)),
      temporaryDirectory_(std::move(temporaryDirectory)) {}

bool SD4LeftoverSweeper::isTemporarySibling(const std::string& name, const std::string& target) {
    const std::string prefix = "." + target + ".";
    if (name.size() != prefix.size() + 6 || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (size_t index = prefix.size(); index < name.size(); ++index) {
        if (!std::isalnum(static_cast<unsigned char>(name[index]))) {
            return false;
        }
    }
    return true;
}

bool SD4LeftoverSweeper::isWorkFolder(const std::string& name) {
    const std::string prefix = SD4ShortcutResolver::workFolderPrefix;
    if (name.size() != prefix.size() + 36 || name.compare(0, prefix.size(), prefix) != 0) {
        return false;
    }
    for (size_t index = 0; index < 36; ++index) {
        char character = name[prefix.size() + index];
        bool dash = index == 8 || index == 13 || index == 18 || index == 23;
        if (dash ? character != '-' : !std::isxdigit(static_cast<unsigned char>(character))) {
            return false;
        }
    }
    return true;
}

size_t SD4LeftoverSweeper::sweep(const fs::path& statusFolder) const {
    size_t removed = sweepFolder(supportFolder_, isMonitorSibling, false);
    if (!statusFolder.empty() && statusFolder != supportFolder_) {
        removed += sweepFolder(statusFolder, isStatusSibling, false);
    }
    return removed + sweepFolder(temporaryDirectory_, isWorkFolderName, true);
}

size_t SD4LeftoverSweeper::sweepFolder(const fs::path& folder, bool (*matches)(const std::string&),
                                       bool wantFolders) const {
    std::vector<std::string> names;
    try {
        names = fileManager_.contentsOfDirectory(folder);
    } catch (const std::exception&) {
        return 0;
    }
    size_t removed = 0;
    for (const std::string& name : names) {
        if (!matches(name)) {
            continue;
        }
        const fs::path item = folder / name;
        // Never through a link, never another user's item (the temporary directory may be shared).
        struct stat info {};
        if (::lstat(item.c_str(), &info) != 0 || info.st_uid != ::geteuid() ||
            (wantFolders ? !S_ISDIR(info.st_mode) : !S_ISREG(info.st_mode))) {
            continue;
        }
        try {
            if (wantFolders) {
                fileManager_.removeItem(item);
            } else {
                fileManager_.removeFile(item);
            }
            ++removed;
        } catch (const std::exception&) {
            // Left for the next start.
        }
    }
    return removed;
}

} // namespace quillstone
