#include "helpers/launchctl/AgentSupervisor.h"

#include "helpers/launchctl/AgentProcess.h"

#include <cerrno>
#include <ctime>
#include <sys/wait.h>
#include <unistd.h>

namespace quillstone {

namespace {

timespec toTimespec(std::chrono::steady_clock::duration duration) {
    if (duration < std::chrono::steady_clock::duration::zero()) {
        duration = std::chrono::steady_clock::duration::zero();
    }
    auto seconds = std::chrono::duration_cast<std::chrono::seconds>(duration);
    auto nanoseconds = std::chrono::duration_cast<std::chrono::nanoseconds>(duration - seconds);
    return timespec{static_cast<time_t>(seconds.count()), static_cast<long>(nanoseconds.count())};
}

// Waits for one of the blocked signals, at most until the deadline; 0 on time-out.
int waitForSignal(const sigset_t& signals, std::optional<std::chrono::steady_clock::time_point> deadline) {
    for (;;) {
        int signal;
        if (deadline) {
            timespec timeout = toTimespec(*deadline - std::chrono::steady_clock::now());
            signal = ::sigtimedwait(&signals, nullptr, &timeout);
        } else {
            signal = ::sigwaitinfo(&signals, nullptr);
        }
        if (signal > 0) {
            return signal;
        }
        if (errno == EAGAIN) {
            return 0;
        }
    }
}

} // namespace

AgentSupervisor::AgentSupervisor(LaunchAgentDefinition definition, std::filesystem::path plistPath,
                                 SupervisorStateFolder& state, SupervisorSettings settings,
                                 std::vector<std::string> sessionEnvironment)
    : definition_(std::move(definition)), plistPath_(std::move(plistPath)), state_(state),
      settings_(settings.forAgent(definition_)),
      environment_(AgentProcess::environment(definition_, sessionEnvironment)) {
    sigemptyset(&signals_);
    for (int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP, SIGUSR1}) {
        sigaddset(&signals_, signal);
    }
}

int AgentSupervisor::run(int readyDescriptor) {
    // An ignored signal is discarded even while blocked; a caller started
    // under nohup must not leave the supervisor deaf to kickstart or its agent.
    for (int signal : {SIGCHLD, SIGTERM, SIGINT, SIGHUP, SIGUSR1}) {
        ::signal(signal, SIG_DFL);
    }
    ::sigprocmask(SIG_BLOCK, &signals_, nullptr);
    state_.recordSupervisor(definition_.label, *ProcessIdentity::of(::getpid()));
    if (definition_.runAtLoad) {
        start();
    }
    publish();
    char ready = 'R';
    (void)!::write(readyDescriptor, &ready, 1);
    ::close(readyDescriptor);

    while (!unloadRequested_) {
        int signal = waitForSignal(signals_, restartAt_);
        if (signal == 0) {
            if (restartAt_ && Clock::now() >= *restartAt_) {
                start();
                publish();
            }
            continue;
        }
        switch (signal) {
        case SIGCHLD:
            reap();
            break;
        case restartSignal:
            stopAgent();
            if (!unloadRequested_) {
                start();
                publish();
            }
            break;
        case startSignal:
            if (!agentRunning()) {
                start();
            }
            publish();
            break;
        default:
            unloadRequested_ = true;
            break;
        }
    }
    stopAgent();
    state_.remove(definition_.label);
    return 0;
}

void AgentSupervisor::start() {
    restartAt_.reset();
    lastStart_ = Clock::now();
    try {
        agentPid_ = AgentProcess::spawn(definition_, environment_);
        agentIdentity_ = ProcessIdentity::of(agentPid_);
        ++runs_;
        lastError_.clear();
    } catch (const std::exception& error) {
        // launchd keeps trying a program it cannot start, throttled like a crash.
        agentPid_ = 0;
        agentIdentity_.reset();
        lastError_ = error.what();
        if (definition_.keepAlive != LaunchAgentDefinition::KeepAlive::never) {
            restartAt_ = lastStart_ + settings_.throttle;
        }
    }
}

void AgentSupervisor::stopAgent() {
    restartAt_.reset();
    if (!agentRunning()) {
        return;
    }
    pid_t group = agentPid_;
    ::kill(-group, SIGTERM);
    auto deadline = Clock::now() + settings_.exitTimeout;
    while (agentRunning()) {
        int signal = waitForSignal(signals_, deadline);
        if (signal == 0) {
            ::kill(-group, SIGKILL);
            int waitStatus = 0;
            while (::waitpid(agentPid_, &waitStatus, 0) < 0 && errno == EINTR) {
            }
            lastExitStatus_ = WIFSIGNALED(waitStatus) ? -WTERMSIG(waitStatus) : WEXITSTATUS(waitStatus);
            agentPid_ = 0;
            agentIdentity_.reset();
            break;
        }
        if (signal == SIGCHLD) {
            int waitStatus = 0;
            pid_t pid;
            while ((pid = ::waitpid(-1, &waitStatus, WNOHANG)) > 0) {
                if (pid == agentPid_) {
                    lastExitStatus_ = WIFSIGNALED(waitStatus) ? -WTERMSIG(waitStatus) : WEXITSTATUS(waitStatus);
                    agentPid_ = 0;
                    agentIdentity_.reset();
                }
            }
        } else if (signal == SIGTERM || signal == SIGINT) {
            unloadRequested_ = true;
        }
    }
    // Whatever the agent left behind in its group goes with it.
    ::kill(-group, SIGKILL);
}

void AgentSupervisor::reap() {
    int waitStatus = 0;
    pid_t pid;
    while ((pid = ::waitpid(-1, &waitStatus, WNOHANG)) > 0) {
        if (pid == agentPid_) {
            agentEnded(waitStatus);
        }
    }
}

void AgentSupervisor::agentEnded(int waitStatus) {
    using KeepAlive = LaunchAgentDefinition::KeepAlive;
    agentPid_ = 0;
    agentIdentity_.reset();
    bool failed = WIFSIGNALED(waitStatus) || WEXITSTATUS(waitStatus) != 0;
    lastExitStatus_ = WIFSIGNALED(waitStatus) ? -WTERMSIG(waitStatus) : WEXITSTATUS(waitStatus);
    if (definition_.keepAlive == KeepAlive::always || (definition_.keepAlive == KeepAlive::afterFailure && failed)) {
        auto earliest = lastStart_ + settings_.throttle;
        restartAt_ = std::max(Clock::now(), earliest);
    }
    publish();
}

void AgentSupervisor::publish() {
    SupervisedStatus status;
    auto& service = status.service;
    service.label = definition_.label;
    service.plistPath = plistPath_;
    service.programArguments = definition_.programArguments;
    service.state = agentRunning() ? "running" : (restartAt_ ? "waiting" : "not running");
    if (agentRunning()) {
        service.pid = agentPid_;
    }
    service.lastExitStatus = lastExitStatus_;
    service.runs = runs_;
    service.manager = managerName;
    status.generation = ++generation_;
    status.agent = agentIdentity_;
    status.exitTimeout = settings_.exitTimeout;
    status.lastError = lastError_;
    try {
        state_.publish(definition_.label, status);
    } catch (const std::exception&) {
        // The agent matters more than its published status; the next change retries.
    }
}

} // namespace quillstone
