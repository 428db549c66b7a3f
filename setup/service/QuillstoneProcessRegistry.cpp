#include "setup/service/QuillstoneProcessRegistry.h"

#include "platform/FileError.h"
#include "platform/UserDomain.h"
#include "platform/Uuid.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;
using UptimeClock = std::chrono::steady_clock;

namespace {

constexpr std::chrono::milliseconds runPollInterval{20};
constexpr std::chrono::milliseconds terminationGrace{500};
constexpr std::chrono::milliseconds terminationPollInterval{10};

std::atomic<QuillstoneProcessRegistry*> replacement{nullptr};

// True while the child has not exited. WNOWAIT leaves the exit status for the
// thread that owns the child; a child already collected there is not running.
bool isAlive(pid_t processIdentifier) {
    siginfo_t info{};
    int result;
    do {
        result = ::waitid(P_PID, static_cast<id_t>(processIdentifier), &info, WEXITED | WNOHANG | WNOWAIT);
    } while (result < 0 && errno == EINTR);
    return result == 0 && info.si_pid == 0;
}

int openOutputFile(const fs::path& path) {
    int descriptor = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        throw FileError(errno, path, "Could not create");
    }
    return descriptor;
}

std::string readWholeFile(const fs::path& path) {
    int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        throw FileError(errno, path, "Could not open");
    }
    std::string bytes;
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0) {
            int failure = errno;
            ::close(descriptor);
            throw FileError(failure, path, "Could not read");
        }
        if (got == 0) {
            break;
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
    ::close(descriptor);
    return bytes;
}

} // namespace

fs::path QuillstoneProcessRegistry::defaultTemporaryDirectory() { return UserDomain::fromEnvironment().temporaryDirectory; }

QuillstoneProcessRegistry::QuillstoneProcessRegistry(fs::path temporaryDirectory)
    : temporaryDirectory_(std::move(temporaryDirectory)) {}

QuillstoneProcessRegistry& QuillstoneProcessRegistry::shared() {
    if (QuillstoneProcessRegistry* registry = replacement.load()) {
        return *registry;
    }
    static QuillstoneProcessRegistry registry;
    return registry;
}

void QuillstoneProcessRegistry::replaceShared(QuillstoneProcessRegistry* registry) { replacement.store(registry); }

void QuillstoneProcessRegistry::setMainThreadEventPump(EventPump pump, std::function<bool()> quitRequested) {
    mainThreadPump_ = std::move(pump);
    quitRequested_ = std::move(quitRequested);
    mainThread_ = std::this_thread::get_id();
}

QuillstoneProcessRegistry::CapturedOutput QuillstoneProcessRegistry::runCapturingOutput(
    ChildProcess& task, std::chrono::milliseconds timeout) {
    const fs::path directory = temporaryDirectory_ / ("Quillstone-Process-" + makeUuidString());
    makeTemporaryDirectory(directory);

    const fs::path outputPath = directory / "stdout";
    const fs::path errorPath = directory / "stderr";
    int outputHandle = -1;
    int errorHandle = -1;
    auto closeHandles = [&] {
        for (int* handle : {&outputHandle, &errorHandle}) {
            if (*handle >= 0) {
                ::close(*handle);
                *handle = -1;
            }
        }
    };
    try {
        outputHandle = openOutputFile(outputPath);
        errorHandle = openOutputFile(errorPath);
        task.setStandardOutput(ChildProcess::Stream::descriptor, outputHandle);
        task.setStandardError(ChildProcess::Stream::descriptor, errorHandle);
        run(task, timeout);
        CapturedOutput output{readWholeFile(outputPath), readWholeFile(errorPath)};
        closeHandles();
        removeTemporaryDirectory(directory);
        return output;
    } catch (...) {
        closeHandles();
        removeTemporaryDirectory(directory);
        throw;
    }
}

void QuillstoneProcessRegistry::run(ChildProcess& task, std::chrono::milliseconds timeout) {
    {
        // Held while launching, so terminateAll cannot miss a child being started.
        std::lock_guard guard(lock_);
        if (shuttingDown_) {
            throw QuillstoneCancellationError();
        }
        task.launch();
        processes_[&task] = task.processIdentifier();
    }

    const auto start = UptimeClock::now();
    while (task.isRunning()) {
        if (UptimeClock::now() >= start + timeout) {
            terminateProcesses({task.processIdentifier()});
            task.waitUntilExit(); // reap it; it has had the kill signal
            {
                std::lock_guard guard(lock_);
                processes_.erase(&task);
            }
            throw QuillstoneProcessError(QuillstoneProcessError::Code::timedOut);
        }
        waitStep(runPollInterval);
    }

    bool cancelled;
    {
        std::lock_guard guard(lock_);
        cancelled = shuttingDown_;
        processes_.erase(&task);
    }
    if (cancelled) {
        throw QuillstoneCancellationError();
    }
}

void QuillstoneProcessRegistry::makeTemporaryDirectory(const fs::path& directory) {
    std::lock_guard guard(lock_);
    if (shuttingDown_) {
        throw QuillstoneCancellationError();
    }
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) {
        throw FileError(error.value(), directory, "Could not create the folder");
    }
    temporaryDirectories_.insert(directory);
}

void QuillstoneProcessRegistry::removeTemporaryDirectory(const fs::path& directory) noexcept {
    std::lock_guard guard(lock_);
    std::error_code ignored;
    fs::remove_all(directory, ignored);
    temporaryDirectories_.erase(directory);
}

void QuillstoneProcessRegistry::terminateAll() {
    std::vector<pid_t> children;
    std::vector<fs::path> directories;
    {
        std::lock_guard guard(lock_);
        if (shuttingDown_) {
            return;
        }
        shuttingDown_ = true;
        for (const auto& [task, processIdentifier] : processes_) {
            children.push_back(processIdentifier);
        }
        directories.assign(temporaryDirectories_.begin(), temporaryDirectories_.end());
    }
    terminateProcesses(children);
    for (const auto& directory : directories) {
        removeTemporaryDirectory(directory);
    }
}

void QuillstoneProcessRegistry::terminateProcesses(const std::vector<pid_t>& processIdentifiers) {
    for (pid_t processIdentifier : processIdentifiers) {
        if (isAlive(processIdentifier)) {
            ::kill(processIdentifier, SIGTERM);
        }
    }
    const auto deadline = UptimeClock::now() + terminationGrace;
    for (;;) {
        bool anyRunning = false;
        for (pid_t processIdentifier : processIdentifiers) {
            if (isAlive(processIdentifier)) {
                anyRunning = true;
                break;
            }
        }
        if (!anyRunning || UptimeClock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(terminationPollInterval);
    }
    for (pid_t processIdentifier : processIdentifiers) {
        if (isAlive(processIdentifier)) {
            ::kill(processIdentifier, SIGKILL);
        }
    }
}

void QuillstoneProcessRegistry::waitStep(std::chrono::milliseconds step) {
    if (mainThreadPump_ && std::this_thread::get_id() == mainThread_) {
        mainThreadPump_(step);
        if (quitRequested_ && quitRequested_()) {
            terminateAll();
        }
    } else {
        std::this_thread::sleep_for(step);
    }
}

size_t QuillstoneProcessRegistry::runningProcessCount() {
    std::lock_guard guard(lock_);
    return processes_.size();
}

size_t QuillstoneProcessRegistry::temporaryDirectoryCount() {
    std::lock_guard guard(lock_);
    return temporaryDirectories_.size();
}

} // namespace quillstone
