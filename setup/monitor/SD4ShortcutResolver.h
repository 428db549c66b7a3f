#pragma once

#include "platform/ChildProcessWatcher.h"
#include "platform/FileManager.h"
#include "platform/SystemTools.h"
#include "setup/monitor/SD4ResolvedRun.h"
#include "setup/monitor/SD4RunEvent.h"
#include "setup/monitor/SD4ShortcutResolverError.h"
#include "setup/monitor/SD4ShortcutResponse.h"

#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quillstone {

// Fetches a run's details by running the "Quillstone SuperDuper Details"
// Shortcut through launchctl asuser and shortcuts run. Any number of resolves
// may run at once, each in its own work folder; begin() leaves the waiting to
// the main thread's loop, so no thread is held by a Shortcut.
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

    using Completion = std::function<void(SD4ResolveResult)>;

    SD4ShortcutResolver(FileManager& fileManager, SystemTools tools);
    SD4ShortcutResolver(FileManager& fileManager, SystemTools tools, std::shared_ptr<ChildProcessWatcher> watcher);
    ~SD4ShortcutResolver();
    SD4ShortcutResolver(const SD4ShortcutResolver&) = delete;
    SD4ShortcutResolver& operator=(const SD4ShortcutResolver&) = delete;

    // Starts the Shortcut (in a process group of its own) and returns; `done`
    // runs once on the main thread with the run or the error's description.
    // Needs the watcher. Main thread only.
    void begin(const SD4RunEvent& event, Completion done);
    // Ends every Shortcut begun and not finished, with everything it started,
    // and removes their work folders; their completions never run.
    void cancelAll();
    std::size_t runningCount() const { return running_.size(); }

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
    std::filesystem::path makeWorkFolder() const;
    void removeWorkFolder(const std::filesystem::path& workFolder) const noexcept;
    std::shared_ptr<ChildProcess> launch(const std::filesystem::path& workFolder, const SD4RunEvent& event) const;
    SD4ResolvedRun answer(const std::filesystem::path& workFolder, const SD4RunEvent& event, ChildProcess& shortcut,
                          const std::string& standardError) const;

    FileManager& fileManager_;
    SystemTools tools_;
    std::shared_ptr<ChildProcessWatcher> watcher_;
    struct Running {
        std::shared_ptr<ChildProcess> shortcut;
        std::filesystem::path workFolder;
    };
    std::map<const ChildProcess*, Running> running_;
};

} // namespace quillstone
