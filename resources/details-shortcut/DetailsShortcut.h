#pragma once

#include "platform/FileManager.h"

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace quillstone {

// The Linux "Quillstone SuperDuper Details" Shortcut: answers a request
// (version, copy_job_id, run_id) with the details the SuperDuper! 4 stand-in
// recorded for that run.
class DetailsShortcut {
public:
    static constexpr const char* usage = "usage: Quillstone SuperDuper Details --input-path FILE --output-path FILE\n";
    static constexpr const char* badRequestPrefix = "The request could not be read: ";
    static constexpr const char* otherJobPrefix = "The recorded run belongs to another copy job: ";

    DetailsShortcut(FileManager& fileManager, std::filesystem::path runsFolder, std::ostream& err);

    // Exit status: 0 with the answer written, otherwise 1 (64 for a bad command line).
    int run(const std::vector<std::string>& arguments);

private:
    void answer(const std::filesystem::path& input, const std::filesystem::path& output);

    FileManager& fileManager_;
    std::filesystem::path runsFolder_;
    std::ostream& err_;
};

} // namespace quillstone
