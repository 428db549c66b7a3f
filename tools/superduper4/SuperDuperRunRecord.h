#pragma once

#include "platform/FileManager.h"

#include <cstdint>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>

namespace quillstone {

// What the SuperDuper! 4 stand-in remembers of one finished run, kept where the
// Linux "Quillstone SuperDuper Details" Shortcut looks it up:
// $XDG_DATA_HOME/superduper4/runs/<run id>.json (else ~/.local/share/...).
struct SuperDuperRunRecord {
    class Error : public std::runtime_error {
    public:
        using std::runtime_error::runtime_error;
    };
    static constexpr const char* invalidRunIDDescription = "The run identifier cannot name a file: ";
    static constexpr const char* notRecordedPrefix = "No SuperDuper! run has been recorded with the identifier ";
    static constexpr const char* unreadablePrefix = "The recorded SuperDuper! run could not be read: ";

    std::string copyJobID;
    std::string runID;
    std::string jobName;
    std::string outcome;
    std::string summary;
    std::string source;
    std::string destination;
    // The optional details as SuperDuper! displays them ("bytes_copied", "started_at", ...).
    std::map<std::string, std::string> details;

    // The detail keys the Shortcut answers with, besides the required ones.
    static const std::vector<std::string>& detailKeys();

    static std::filesystem::path runsFolder(const UserDomain& domain);
    static bool isValidRunID(const std::string& runID);

    // Throws Error for a run id that cannot be a file name, FileError when writing fails.
    void save(FileManager& fileManager, const std::filesystem::path& folder) const;
    // Throws Error when nothing (or nothing readable) is recorded under that id.
    static SuperDuperRunRecord load(const FileManager& fileManager, const std::filesystem::path& folder,
                                    const std::string& runID);

    // The Shortcut's answer: version 1 and every value a string, counts too.
    nlohmann::json answer() const;
    nlohmann::json encoded() const;
};

} // namespace quillstone
