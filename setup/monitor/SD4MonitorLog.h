#pragma once

#include "platform/Clock.h"
#include "platform/FileManager.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace quillstone {

// Where the monitor's parts send their log lines; the monitor passes SD4MonitorLog::log.
using SD4LogFunction = std::function<void(const std::string& message)>;

// The headless monitor's only diagnostic output: sd4-monitor.log in the
// support folder, one "<UTC time> | <message>" line per event.
class SD4MonitorLog {
public:
    static constexpr const char* fileName = "sd4-monitor.log";

    explicit SD4MonitorLog(FileManager& fileManager = PosixFileManager::shared(),
                           const Clock& clock = SystemClock::shared(),
                           std::optional<std::filesystem::path> fileURL = std::nullopt);

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // Never fails: any failure loses just this line.
    void log(const std::string& message) noexcept;

private:
    FileManager& fileManager_;
    const Clock& clock_;
    std::filesystem::path fileURL_;
};

} // namespace quillstone
