#pragma once

#include "platform/Clock.h"
#include "platform/FileManager.h"
#include "platform/LocalizedCollator.h"
#include "platform/Volumes.h"
#include "setup/monitor/SD4ResolvedRun.h"
#include "setup/monitor/SD4RunEvent.h"

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace quillstone {

// Merges one finished run into backup_status.json: one entry per copy job,
// sorted by name, written atomically and readable by everyone (0644).
class SD4StatusWriter {
public:
    static constexpr const char* copyScript = "SuperDuper! 4";
    static constexpr const char* successStatus = "SUCCESS";
    static constexpr const char* failureStatus = "FAILED";
    static constexpr mode_t filePermissions = 0644;

    // One mounted volume found by name.
    struct MountedVolume {
        std::filesystem::path url;
        std::optional<int64_t> availableCapacity;
        bool operator==(const MountedVolume&) const = default;
    };

    SD4StatusWriter(FileManager& fileManager, const Volumes& volumes,
                    LocalizedCollator collator = LocalizedCollator::forUserEnvironment(),
                    const Clock& clock = SystemClock::shared());

    // Throws the error of the first step that fails (folder, serialization, keeping
    // a broken file aside, write, permissions). A broken existing file never stops the
    // write: it is renamed to QuillstoneStatusDocument::asidePath first, so nothing is lost.
    void write(const SD4RunEvent& event, const SD4ResolvedRun& run, const std::filesystem::path& statusFile) const;

    // The one mounted volume with exactly this name; none when zero or several match.
    std::optional<MountedVolume> mountedVolume(const std::string& named) const;
    // "1.8Ti", "500Gi", "900Mi"; "" when the capacity is unknown or negative.
    static std::string freeSpaceText(const MountedVolume& volume);
    // Whole UTC seconds, rounded toward the past.
    static std::string completedAtText(int64_t endedAtUnixNanos);

    // The entry for this run, and the merged root; exposed for measurement.
    nlohmann::json entry(const SD4RunEvent& event, const SD4ResolvedRun& run) const;
    void merge(nlohmann::json& root, nlohmann::json newEntry) const;

private:
    FileManager& fileManager_;
    const Volumes& volumes_;
    LocalizedCollator collator_;
    const Clock& clock_;
};

} // namespace quillstone
