#pragma once

#include "platform/Clock.h"
#include "platform/FileManager.h"
#include "setup/monitor/SD4MonitorLog.h"
#include "setup/monitor/SD4RunEvent.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// Run-finished events whose status entry is not written yet, kept in
// sd4-pending-runs.json in arrival order, at most one per run ID.
// Main thread only; never raises except from removeFile().
class SD4PendingRunStore {
public:
    static constexpr const char* fileName = "sd4-pending-runs.json";
    static constexpr int64_t currentSchemaVersion = 1;
    // A file we could not read is renamed to <file><suffix><unix seconds> before
    // the first save, so the runs in it are never overwritten.
    static constexpr const char* unreadableSuffix = ".unreadable-";
    static constexpr const char* keptAsideText = "pending runs file unreadable, kept as: ";

    struct PendingEvent {
        std::string copyJobID;
        std::string runID;
        std::string outcome;
        bool isCatchup = false;
        std::optional<int64_t> endedAtUnixNanos;
        bool operator==(const PendingEvent&) const = default;
    };

    struct Storage {
        int64_t schemaVersion = currentSchemaVersion;
        std::vector<PendingEvent> events;
        bool operator==(const Storage&) const = default;
    };

    explicit SD4PendingRunStore(FileManager& fileManager = PosixFileManager::shared(),
                                std::optional<std::filesystem::path> fileURL = std::nullopt,
                                SD4LogFunction log = {}, const Clock& clock = SystemClock::shared());

    const std::filesystem::path& fileURL() const { return fileURL_; }
    const Storage& storage() const { return storage_; }

    // Appends unless the run ID is already stored (the first record wins); saves only when it appended.
    void add(const SD4RunEvent& event);
    // The stored events that make a valid event, in stored order; the others stay in the file.
    std::vector<SD4RunEvent> pendingEvents() const;
    // The same for several events with one save, when any was appended.
    void add(const std::vector<SD4RunEvent>& events);
    // Removes every event with this run ID, then saves, also when none matched.
    void remove(const std::string& runID);
    // Removes every event with one of these run IDs, with one save.
    void remove(const std::vector<std::string>& runIDs);
    // Failures are swallowed; the events stay in memory for the next save.
    void save();
    // Deletes the file if there is one, then empties the store; raises the file system's error.
    void removeFile();

    // Strict reading of the file's bytes; nullopt when undecodable or of another schema.
    // An "endedAtUnixNanos" that is not an integer within the signed 64-bit range counts as absent.
    static std::optional<Storage> decode(const std::string& bytes);
    static std::string encode(const Storage& storage);

private:
    void load();
    bool keepUnreadableFileAside();

    FileManager& fileManager_;
    std::filesystem::path fileURL_;
    SD4LogFunction log_;
    const Clock& clock_;
    Storage storage_;
    bool unreadableFileInPlace_ = false;
};

} // namespace quillstone
