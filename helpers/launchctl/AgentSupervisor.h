#pragma once

#include "helpers/launchctl/LaunchAgentDefinition.h"
#include "helpers/launchctl/SupervisorSettings.h"
#include "helpers/launchctl/SupervisorStateFolder.h"

#include <chrono>
#include <csignal>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// The detached process that stands in for launchd for one agent: starts it at
// load, restarts it (throttled) while it should be kept alive, restarts it on
// SIGHUP (kickstart -k), starts it on SIGUSR1 (kickstart), and on SIGTERM
// stops it (SIGTERM, then SIGKILL after the exit time-out) and unloads.
class AgentSupervisor {
public:
    static constexpr int restartSignal = SIGHUP;
    static constexpr int startSignal = SIGUSR1;
    static constexpr int unloadSignal = SIGTERM;
    static constexpr const char* managerName = "quillstone supervisor";

    AgentSupervisor(LaunchAgentDefinition definition, std::filesystem::path plistPath, SupervisorStateFolder& state,
                    SupervisorSettings settings, std::vector<std::string> sessionEnvironment);

    // Runs until unloaded. Signals readiness by writing one byte to readyDescriptor
    // once the agent is started and the status is published.
    int run(int readyDescriptor);

private:
    using Clock = std::chrono::steady_clock;

    void start();
    void stopAgent();
    void reap();
    void agentEnded(int waitStatus);
    void publish();
    bool agentRunning() const { return agentPid_ > 0; }

    LaunchAgentDefinition definition_;
    std::filesystem::path plistPath_;
    SupervisorStateFolder& state_;
    SupervisorSettings settings_;
    std::vector<std::string> environment_;
    sigset_t signals_{};

    pid_t agentPid_ = 0;
    std::optional<ProcessIdentity> agentIdentity_;
    Clock::time_point lastStart_{};
    std::optional<Clock::time_point> restartAt_;
    std::optional<int> lastExitStatus_;
    unsigned runs_ = 0;
    unsigned long long generation_ = 0;
    std::string lastError_;
    bool unloadRequested_ = false;
};

} // namespace quillstone
