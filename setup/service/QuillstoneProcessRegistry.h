#pragma once

#include "platform/ChildProcess.h"

#include <chrono>
#include <filesystem>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace quillstone {

// Raised when the registry refuses work because shutdown has begun.
class QuillstoneCancellationError : public std::runtime_error {
public:
    static constexpr const char* description = "The operation was cancelled.";
    QuillstoneCancellationError() : std::runtime_error(description) {}
};

class QuillstoneProcessError : public std::runtime_error {
public:
    enum class Code { timedOut };
    static constexpr const char* timedOutDescription = "The Quillstone setup command timed out.";
    explicit QuillstoneProcessError(Code code) : std::runtime_error(timedOutDescription), code_(code) {}
    Code code() const { return code_; }

private:
    Code code_;
};

// Runs short-lived commands with a time-out and remembers every running child
// and temporary folder, so that quitting ends them all.
class QuillstoneProcessRegistry {
public:
    struct CapturedOutput {
        std::string standardOutput;
        std::string standardError;
    };
    // Runs the caller's event loop for at most the given time (the main thread's
    // wait); empty means "sleep" (any other thread).
    using EventPump = std::function<void(std::chrono::milliseconds)>;

    static constexpr std::chrono::milliseconds defaultTimeout{60000};

    explicit QuillstoneProcessRegistry(std::filesystem::path temporaryDirectory = defaultTemporaryDirectory());
    // The user's temporary folder, never throwing: a missing TMPDIR falls back to /tmp.
    static std::filesystem::path defaultTemporaryDirectory();

    // The one process-wide instance, created on first use; tests may replace it.
    static QuillstoneProcessRegistry& shared();
    static void replaceShared(QuillstoneProcessRegistry* registry);

    // Output goes to files in a "Quillstone-Process-<UUID>" folder, never pipes.
    // The exit status is left on the task for the caller.
    CapturedOutput runCapturingOutput(ChildProcess& task,
                                      std::chrono::milliseconds timeout = defaultTimeout);
    void run(ChildProcess& task, std::chrono::milliseconds timeout);
    void makeTemporaryDirectory(const std::filesystem::path& directory);
    void removeTemporaryDirectory(const std::filesystem::path& directory) noexcept;
    void terminateAll();

    // The main thread's wait keeps its event loop turning; set by the application
    // on its main thread, before any command runs. The calling thread becomes
    // the one whose waits pump events. Once quitRequested answers yes, a wait
    // there ends all children at once: the application's own end would come
    // only after this wait, which sits inside the loop that should end.
    void setMainThreadEventPump(EventPump pump, std::function<bool()> quitRequested = {});

    size_t runningProcessCount();
    size_t temporaryDirectoryCount();

private:
    // Works on process ids: the children belong to the threads waiting in run().
    static void terminateProcesses(const std::vector<pid_t>& processIdentifiers);
    void waitStep(std::chrono::milliseconds step);

    std::mutex lock_;
    std::map<ChildProcess*, pid_t> processes_;
    std::set<std::filesystem::path> temporaryDirectories_;
    bool shuttingDown_ = false;
    std::filesystem::path temporaryDirectory_;
    EventPump mainThreadPump_;
    std::function<bool()> quitRequested_;
    std::thread::id mainThread_;
};

} // namespace quillstone
