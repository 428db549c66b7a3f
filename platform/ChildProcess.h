#pragma once

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillstone {

// The launch of a child failed; carries the OS's message.
class ProcessLaunchError : public std::runtime_error {
public:
    ProcessLaunchError(int errorNumber, const std::filesystem::path& executable);
    int errorNumber() const { return errorNumber_; }

private:
    int errorNumber_;
};

// One child process, configured before launch and started directly with an
// argument vector (posix_spawn, never a shell). Not copyable; the owner
// reaps the child (the destructor does not wait or kill).
class ChildProcess {
public:
    enum class Stream { inherit, null, descriptor, pipe };
    enum class TerminationReason { exit, uncaughtSignal };

    ChildProcess() = default;
    ChildProcess(std::filesystem::path executable, std::vector<std::string> arguments);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    void setExecutable(std::filesystem::path executable) { executable_ = std::move(executable); }
    void setArguments(std::vector<std::string> arguments) { arguments_ = std::move(arguments); }
    // A descriptor is borrowed: the caller keeps it open until launch() returns.
    void setStandardInput(Stream stream, int descriptor = -1);
    void setStandardOutput(Stream stream, int descriptor = -1);
    void setStandardError(Stream stream, int descriptor = -1);

    // The child leads a process group of its own, so that what it starts can
    // be ended with it (killProcessGroup).
    void setStartsProcessGroup(bool startsGroup) { startsProcessGroup_ = startsGroup; }

    const std::filesystem::path& executable() const { return executable_; }
    const std::vector<std::string>& arguments() const { return arguments_; }

    // Throws ProcessLaunchError; a second launch is a logic error.
    void launch();
    bool hasLaunched() const { return pid_ > 0; }
    pid_t processIdentifier() const { return pid_; }

    // Reaps the child when it has ended; never blocks.
    bool isRunning();
    void waitUntilExit();
    // Polite termination (SIGTERM), and the kill signal.
    void terminate();
    void kill();
    // SIGKILL to the child's whole group (setStartsProcessGroup), then reaps the child.
    void killProcessGroup();

    // The parent's end of a piped standard error, for a caller that reads it
    // as it arrives; -1 when not piped. Stays owned by this object.
    int standardErrorDescriptor() const { return errorPipe_; }
    // Exit status, or the signal number when a signal ended the child. Valid once ended.
    int terminationStatus() const { return status_; }
    TerminationReason terminationReason() const { return reason_; }

    // Reads a piped stream to its end (blocks until the child closes it). Pipe at
    // most one stream you read this way, or a chatty child can stall on the other.
    std::string readStandardOutputToEnd();
    std::string readStandardErrorToEnd();
    // Reads to the end as well, but keeps only the first `keep` bytes.
    std::string readStandardErrorToEnd(std::size_t keep);

private:
    struct Redirect {
        Stream stream = Stream::inherit;
        int descriptor = -1;
    };
    void collect(int waitStatus);
    static std::string drain(int& descriptor, std::size_t keep = std::string::npos);

    std::filesystem::path executable_;
    std::vector<std::string> arguments_;
    Redirect input_, output_, error_;
    int outputPipe_ = -1;
    int errorPipe_ = -1;
    pid_t pid_ = -1;
    bool startsProcessGroup_ = false;
    bool ended_ = false;
    int status_ = 0;
    TerminationReason reason_ = TerminationReason::exit;
};

} // namespace quillstone
