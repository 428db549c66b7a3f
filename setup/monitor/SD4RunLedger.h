#pragma once

#include "platform/FileManager.h"
#include "setup/monitor/SD4RunEvent.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>

namespace quillstone {

// The run ID last written to the status file, per copy job, kept in
// sd4-run-ledger.json, and the newest end time of a run of each job whose
// entry was or is being written, so that an entry never moves back to an
// older run. Main thread only.
class SD4RunLedger {
public:
    static constexpr const char* fileName = "sd4-run-ledger.json";
    static constexpr int64_t currentSchemaVersion = 1;

    struct Storage {
        int64_t schemaVersion = currentSchemaVersion;
        std::map<std::string, std::string> latestRunIDByJobID;
        // Older files lack it; a job without a time has no order to keep yet.
        std::map<std::string, int64_t> latestEndedAtUnixNanosByJobID;
        bool operator==(const Storage&) const = default;
    };

    // A missing, unreadable, undecodable or other-schema file loads as empty.
    explicit SD4RunLedger(FileManager& fileManager = PosixFileManager::shared(),
                          std::optional<std::filesystem::path> fileURL = std::nullopt);

    const std::filesystem::path& fileURL() const { return fileURL_; }
    const Storage& storage() const { return storage_; }

    // Exact equality with the job's latest run ID; run IDs carry no order.
    bool hasProcessed(const SD4RunEvent& event) const;
    // Whether a run of the event's job that ended later was, or is being, written.
    bool hasNewerRun(const SD4RunEvent& event) const;
    // Raises the job's end time to the event's, without naming it the latest run.
    // In memory only, until save().
    void claim(const SD4RunEvent& event);
    // Whether memory holds anything the file does not.
    bool hasUnsavedChanges() const { return unsaved_; }
    // The job's latest run and end time. In memory only, until save().
    void record(const SD4RunEvent& event);
    // Whether the whole map reached the file.
    bool save();
    // Deletes the file if there is one, then empties the map; raises the file system's error.
    void removeFile();

    static std::optional<Storage> decode(const std::string& bytes);
    static std::string encode(const Storage& storage);

private:
    FileManager& fileManager_;
    std::filesystem::path fileURL_;
    Storage storage_;
    bool unsaved_ = false;
};

} // namespace quillstone
