#pragma once

#include "platform/FileManager.h"

#include <cstdint>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace quillstone {

// backup_status.json as its writers see it: the empty document and the
// tolerant reading that every merge starts from.
class QuillstoneStatusDocument {
public:
    static constexpr const char* fileName = "backup_status.json";
    // Exactly these 20 bytes; written only where no file exists.
    static constexpr std::string_view emptyDocument = "{\n  \"backups\": []\n}\n";

    // The root a merge works on, from the file's bytes (nullopt: missing or unreadable):
    // not JSON or not an object gives {"backups": []}; a "backups" array of objects is kept
    // as is; an older single-entry root (has "status") becomes the only entry; otherwise
    // the root is kept with "backups" emptied.
    static nlohmann::json readForMerge(const std::optional<std::string>& bytes);

    // The root a merge starts from, and whether something is in the way: a file that is
    // there but unreadable, larger than BoundedJson::maximumBytes, not JSON (nested too
    // deeply counts as not JSON) or not an object. The writer keeps such a file aside.
    struct Reading {
        nlohmann::json root;
        bool keepAside = false;
    };
    static Reading readForMerge(const FileManager& fileManager, const std::filesystem::path& file);

    // Where a file in the way is kept: "backup_status.json.unreadable-<seconds since 1970>".
    static std::filesystem::path asidePath(const std::filesystem::path& file, std::int64_t unixSeconds);

    // Creates the empty document when nothing exists at the path; never replaces a file.
    // Returns whether it created one.
    static bool createEmptyIfMissing(FileManager& fileManager, const std::filesystem::path& file);
};

} // namespace quillstone
