#include "platform/ChildProcess.h"

#include <algorithm>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace quillstone {

ProcessLaunchError::ProcessLaunchError(int errorNumber, const std::filesystem::path& executable)
    : std::runtime_error("Could not launch \"" + executable.string() + "\": " + std::strerror(errorNumber)),
      errorNumber_(errorNumber) {}

ChildProcess::ChildProcess(std::filesystem::path executable, std::vector<std::string> arguments)
    : executable_(std::move(executable)), arguments_(std::move(arguments)) {}

ChildProcess::~ChildProcess() {
    for (int descriptor : {outputPipe_, errorPipe_}) {
        if (descriptor >= 0) {
            ::close(descriptor);
        }
    }
}

void ChildProcess::setStandardInput(Stream stream, int descriptor) { input_ = {stream, descriptor}; }
void ChildProcess::setStandardOutput(Stream stream, int descriptor) { output_ = {stream, descriptor}; }
void ChildProcess::setStandardError(Stream stream, int descriptor) { error_ = {stream, descriptor}; }

void ChildProcess::launch() {
    if (hasLaunched()) {
        throw std::logic_error("A child process is launched only once.");
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::vector<int> parentEnds;
    std::vector<int> childEnds;
    int pipes[3] = {-1, -1, -1};

    auto plan = [&](const Redirect& redirect, int target) -> int {
        switch (redirect.stream) {
        case Stream::inherit:
            return 0;
        case Stream::null:
            return posix_spawn_file_actions_addopen(&actions, target, "/dev/null",
                                                    target == STDIN_FILENO ? O_RDONLY : O_WRONLY, 0);
        case Stream::descriptor:
            return posix_spawn_file_actions_adddup2(&actions, redirect.descriptor, target);
        case Stream::pipe: {
            int ends[2];
            if (::pipe2(ends, O_CLOEXEC) != 0) {
                return errno;
            }
            bool reading = target != STDIN_FILENO;
            parentEnds.push_back(reading ? ends[0] : ends[1]);
            childEnds.push_back(reading ? ends[1] : ends[0]);
            pipes[target] = reading ? ends[0] : ends[1];
            // dup2 clears close-on-exec on the child's copy.
            return posix_spawn_file_actions_adddup2(&actions, reading ? ends[1] : ends[0], target);
        }
        }
        return 0;
    };

    int failure = plan(input_, STDIN_FILENO);
    if (failure == 0) {
        failure = plan(output_, STDOUT_FILENO);
    }
    if (failure == 0) {
        failure = plan(error_, STDERR_FILENO);
    }

    std::vector<char*> argv;
    std::string program = executable_.string();
    argv.push_back(program.data());
    for (auto& argument : arguments_) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    if (startsProcessGroup_) {
        posix_spawnattr_setpgroup(&attributes, 0);
        posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    }
    pid_t pid = -1;
    if (failure == 0) {
        failure = posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
    for (int end : childEnds) {
        ::close(end);
    }
    if (failure != 0) {
        for (int end : parentEnds) {
            ::close(end);
        }
        throw ProcessLaunchError(failure, executable_);
    }
    pid_ = pid;
    outputPipe_ = pipes[STDOUT_FILENO];
    errorPipe_ = pipes[STDERR_FILENO];
    if (pipes[STDIN_FILENO] >= 0) {
        ::close(pipes[STDIN_FILENO]); // the child sees end of input
    }
}

void ChildProcess::collect(int waitStatus) {
    ended_ = true;
    if (WIFSIGNALED(waitStatus)) {
        reason_ = TerminationReason::uncaughtSignal;
        status_ = WTERMSIG(waitStatus);
    } else {
        reason_ = TerminationReason::exit;
        status_ = WEXITSTATUS(waitStatus);
    }
}

bool ChildProcess::isRunning() {
    if (!hasLaunched() || ended_) {
        return false;
    }
    int waitStatus = 0;
    pid_t result = ::waitpid(pid_, &waitStatus, WNOHANG);
    if (result == pid_) {
        collect(waitStatus);
        return false;
    }
    return result == 0;
}

void ChildProcess::waitUntilExit() {
    if (!hasLaunched() || ended_) {
        return;
    }
    int waitStatus = 0;
    pid_t result;
    do {
        result = ::waitpid(pid_, &waitStatus, 0);
    } while (result < 0 && errno == EINTR);
    if (result == pid_) {
        collect(waitStatus);
    } else {
        ended_ = true; // reaped elsewhere; nothing more to learn
    }
}

void ChildProcess::terminate() {
    if (hasLaunched() && !ended_) {
        ::kill(pid_, SIGTERM);
    }
}

void ChildProcess::kill() {
    if (hasLaunched() && !ended_) {
        ::kill(pid_, SIGKILL);
    }
}

void ChildProcess::killProcessGroup() {
    if (!hasLaunched()) {
        return;
    }
    // Members may outlive the leader; the group keeps its id while any is left.
    if (startsProcessGroup_) {
        ::killpg(pid_, SIGKILL);
    }
    kill();
    waitUntilExit();
}

std::string ChildProcess::drain(int& descriptor, std::size_t keep) {
    std::string bytes;
    if (descriptor < 0) {
        return bytes;
    }
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        bytes.append(buffer, std::min(static_cast<size_t>(got), keep - std::min(keep, bytes.size())));
    }
    ::close(descriptor);
    descriptor = -1;
    return bytes;
}

std::string ChildProcess::readStandardOutputToEnd() { return drain(outputPipe_); }
std::string ChildProcess::readStandardErrorToEnd() { return drain(errorPipe_); }
std::string ChildProcess::readStandardErrorToEnd(std::size_t keep) { return drain(errorPipe_, keep); }

} // namespace quillstone
