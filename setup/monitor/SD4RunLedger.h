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
// sd4-run-ledger.json. Main thread only.
class SD4RunLedger {
public:
    static constexpr const char* fileName = "sd4-run-ledger.json";
    static constexpr int64_t currentSchemaVersion = 1;

    struct Storage {
        int64_t schemaVersion = currentSchemaVersion;
        std::map<std::string, std::string> latestRunIDByJobID;
        bool operator==(const Storage&) const = default;
    };

    // A missing, unreadable, undecodable or other-schema file loads as empty.
    explicit SD4RunLedger(FileManager& fileManager = PosixFileManager::shared(),
                          std::optional<std::filesystem::path> fileURL = std::nullopt);

    const std::filesystem::path& fileURL() const { return fileURL_; }
    const Storage& storage() const { return storage_; }

    // Exact equality with the job's latest run ID; run IDs carry no order.
    bool hasProcessed(const SD4RunEvent& event) const;
    // In memory only, until save().
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
};

} // namespace quillstone
