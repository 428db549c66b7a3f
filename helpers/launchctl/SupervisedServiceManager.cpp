#include "helpers/launchctl/SupervisedServiceManager.h"

#include "helpers/launchctl/AgentProcess.h"
#include "helpers/launchctl/AgentSupervisor.h"
#include "helpers/launchctl/LaunchctlError.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace quillstone {

namespace {

using namespace std::chrono_literals;
const auto pollInterval = 5ms;
// Beyond the agent's own exit time-out, how long a supervisor may take to go.
const auto supervisorGrace = 5s;

const char* const kickstartFailedText = "Kickstart failed: the service did not start again: ";
const char* const bootstrapSupervisorText = "the supervisor could not be started";

template <typename Predicate>
bool waitUntil(std::chrono::steady_clock::duration limit, Predicate done) {
    auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(pollInterval);
    }
    return true;
}

// Runs the supervisor in the grandchild and never returns.
[[noreturn]] void becomeSupervisor(int readyDescriptor, const LaunchAgentDefinition& definition,
                                   const std::filesystem::path& plistPath, SupervisorStateFolder& state,
                                   const SupervisorSettings& settings, const std::vector<std::string>& environment) {
    // Keep only the readiness pipe (as 3) and stdio on the null device; the
    // caller's lock and descriptors must not live on in the supervisor.
    if (readyDescriptor != 3) {
        ::dup2(readyDescriptor, 3);
    }
    ::close_range(4, ~0U, 0);
    int null = ::open("/dev/null", O_RDWR);
    for (int target = 0; target <= 2; ++target) {
        ::dup2(null, target);
    }
    if (null > 3) {
        ::close(null);
    }
    (void)!::chdir("/");
    int status = 1;
    try {
        AgentSupervisor supervisor(definition, plistPath, state, settings, environment);
        status = supervisor.run(3);
    } catch (const std::exception& error) {
        std::string message = error.what();
        (void)!::write(3, message.data(), message.size());
    }
    ::_exit(status);
}

} // namespace

SupervisedServiceManager::SupervisedServiceManager(SupervisorStateFolder& state, SupervisorSettings settings,
                                                   std::vector<std::string> sessionEnvironment)
    : state_(state), settings_(settings), sessionEnvironment_(std::move(sessionEnvironment)) {}

void SupervisedServiceManager::bootstrap(const LaunchAgentDefinition& definition,
                                         const std::filesystem::path& plistPath) {
    auto environment = AgentProcess::environment(definition, sessionEnvironment_);
    if (!AgentProcess::resolveProgram(definition.programArguments.front(), AgentProcess::searchPath(environment))) {
        throw LaunchctlError::bootstrapFailed("the program " + definition.programArguments.front() +
                                              " does not exist or is not executable");
    }
    auto lock = state_.lock(definition.label);
    if (state_.liveSupervisor(definition.label)) {
        throw LaunchctlError(LaunchctlError::alreadyLoadedStatus, LaunchctlError::alreadyLoadedText);
    }
    forgetStale(definition.label);
    startSupervisor(definition, plistPath);
}

void SupervisedServiceManager::startSupervisor(const LaunchAgentDefinition& definition,
                                               const std::filesystem::path& plistPath) {
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) {
        throw LaunchctlError::bootstrapFailed(bootstrapSupervisorText);
    }
    pid_t child = ::fork();
    if (child < 0) {
        ::close(ready[0]);
        ::close(ready[1]);
        throw LaunchctlError::bootstrapFailed(bootstrapSupervisorText);
    }
    if (child == 0) {
        ::close(ready[0]);
        ::setsid();
        pid_t grandchild = ::fork();
        if (grandchild != 0) {
            ::_exit(grandchild < 0 ? 1 : 0);
        }
        becomeSupervisor(ready[1], definition, plistPath, state_, settings_, sessionEnvironment_);
    }
    ::close(ready[1]);
    int waitStatus = 0;
    while (::waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }
    std::string reply;
    char buffer[512];
    for (;;) {
        ssize_t got = ::read(ready[0], buffer, sizeof buffer);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            break;
        }
        reply.append(buffer, static_cast<size_t>(got));
        if (reply == "R") {
            break;
        }
    }
    ::close(ready[0]);
    if (reply != "R") {
        throw LaunchctlError::bootstrapFailed(reply.empty() ? bootstrapSupervisorText : reply);
    }
}

void SupervisedServiceManager::bootout(const std::string& label) {
    auto lock = state_.lock(label);
    auto supervisor = state_.liveSupervisor(label);
    if (!supervisor) {
        forgetStale(label);
        throw LaunchctlError(LaunchctlError::noSuchProcessStatus, LaunchctlError::bootoutFailedText);
    }
    auto published = state_.status(label);
    auto exitTimeout = published ? published->exitTimeout : settings_.exitTimeout;
    ::kill(supervisor->pid, AgentSupervisor::unloadSignal);
    // Like launchd, return only once the agent is gone.
    if (!waitUntil(exitTimeout + supervisorGrace, [&] { return !supervisor->isAlive(); })) {
        ::kill(supervisor->pid, SIGKILL);
        waitUntil(supervisorGrace, [&] { return !supervisor->isAlive(); });
    }
    forgetStale(label);
}

std::optional<ServiceStatus> SupervisedServiceManager::status(const std::string& label) {
    if (!state_.liveSupervisor(label)) {
        return std::nullopt;
    }
    auto published = state_.status(label);
    if (!published) {
        return std::nullopt;
    }
    return published->service;
}

void SupervisedServiceManager::kickstart(const std::string& label, bool killFirst) {
    auto lock = state_.lock(label);
    auto supervisor = state_.liveSupervisor(label);
    auto before = state_.status(label);
    if (!supervisor || !before) {
        throw LaunchctlError::serviceNotFound(label, static_cast<unsigned>(::getuid()));
    }
    if (!killFirst && before->service.pid) {
        return;
    }
    ::kill(supervisor->pid, killFirst ? AgentSupervisor::restartSignal : AgentSupervisor::startSignal);
    std::optional<SupervisedStatus> after;
    bool changed = waitUntil(before->exitTimeout + supervisorGrace, [&] {
        after = state_.status(label);
        return after && after->generation > before->generation;
    });
    if (!changed || !after->service.pid) {
        std::string reason = changed && !after->lastError.empty() ? after->lastError : "no response from the supervisor";
        throw LaunchctlError(LaunchctlError::ioStatus, kickstartFailedText + reason);
    }
}

void SupervisedServiceManager::forgetStale(const std::string& label) {
    // A supervisor that died (killed, or a reboot) may have left its agent running.
    auto published = state_.status(label);
    if (published && published->agent && published->agent->isAlive()) {
        ::kill(-published->agent->pid, SIGKILL);
        ::kill(published->agent->pid, SIGKILL);
    }
    state_.remove(label);
}

} // namespace quillstone
