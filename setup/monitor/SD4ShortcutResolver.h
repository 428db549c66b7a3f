#pragma once

#include "platform/FileManager.h"
#include "platform/SystemTools.h"
#include "setup/monitor/SD4ResolvedRun.h"
#include "setup/monitor/SD4RunEvent.h"
#include "setup/monitor/SD4ShortcutResolverError.h"
#include "setup/monitor/SD4ShortcutResponse.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// Fetches a run's details by running the "Quillstone SuperDuper Details"
// Shortcut through launchctl asuser and shortcuts run. Holds no state of its
// own, so any number of resolves may run at once, each in its own work folder.
class SD4ShortcutResolver {
public:
    static constexpr const char* shortcutName = "Quillstone SuperDuper Details";
    static constexpr const char* shortcutsTool = "/usr/bin/shortcuts";
    static constexpr const char* workFolderPrefix = "Quillstone-SD4-";
    static constexpr const char* requestFileName = "input.json";
    static constexpr const char* answerFileName = "output.json";
    // Of the Shortcut's error output only this much is kept: the rest is read
    // and dropped, so a runaway Shortcut cannot fill the memory or the log.
    static constexpr std::size_t keptErrorBytes = 16 * 1024;

    // The request file (input.json), written compact.
    struct Request {
        int64_t version = 1;
        std::string copyJobID;
        std::string runID;
        std::string encoded() const;
    };
    using Response = SD4ShortcutResponse;

    SD4ShortcutResolver(FileManager& fileManager, SystemTools tools);

    // Blocks until the Shortcut has ended (no time-out); call it off the main
    // thread. Throws SD4ShortcutResolverError, or the file, launch or decoding
    // error unchanged. The work folder is gone afterwards in every case.
    SD4ResolvedRun resolve(const SD4RunEvent& event) const;

    // The launchctl arguments for one run (after the executable).
    static std::vector<std::string> arguments(unsigned userID, const std::filesystem::path& requestFile,
                                              const std::filesystem::path& answerFile);
    // The Shortcut's error output as the failure message; a character cut off
    // by the keptErrorBytes limit is dropped.
    static std::string failureMessage(const std::string& standardError);

private:
    SD4ResolvedRun resolveIn(const std::filesystem::path& workFolder, const SD4RunEvent& event) const;

    FileManager& fileManager_;
    SystemTools tools_;
};

} // namespace quillstone
