#include "setup/monitor/SD4MonitorLog.h"

#include "platform/FileError.h"
#include "platform/InternetDateTime.h"
#include "platform/SupportFolder.h"

#include <cerrno>

namespace quillstone {

SD4MonitorLog::SD4MonitorLog(FileManager& fileManager, const Clock& clock,
                             std::optional<std::filesystem::path> fileURL)
    : fileManager_(fileManager), clock_(clock),
      fileURL_(fileURL ? std::move(*fileURL) : supportFolder(fileManager.userDomain()) / fileName) {}

void SD4MonitorLog::log(const std::string& message) noexcept {
    try {
        const std::string line = formatInternetDateTime(clock_.now()) + " | " + message + "\n";
        fileManager_.createDirectories(fileURL_.parent_path());
        try {
            fileManager_.appendToExisting(fileURL_, line);
            return;
        } catch (const FileError& error) {
            if (error.errorNumber() != ENOENT) {
                return;
            }
        }
        // A new file is created whole; if another writer created it meanwhile, append instead.
        if (!fileManager_.createIfMissing(fileURL_, line, 0644)) {
            fileManager_.appendToExisting(fileURL_, line);
        }
    } catch (...) {
        // Logging must never disturb the monitor.
    }
}

} // namespace quillstone
