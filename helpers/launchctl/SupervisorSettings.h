#pragma once

#include "helpers/launchctl/LaunchAgentDefinition.h"

#include <chrono>

namespace quillstone {

// Timing of the own supervisor. launchd waits 10 s between two starts of an
// agent and 20 s between SIGTERM and SIGKILL; the property list may say otherwise.
struct SupervisorSettings {
    std::chrono::milliseconds throttle{10000};
    std::chrono::milliseconds exitTimeout{20000};

    // QUILLSTONE_LAUNCHD_THROTTLE and QUILLSTONE_LAUNCHD_EXIT_TIMEOUT (seconds,
    // fractions allowed) replace the defaults, so tests need not wait.
    static SupervisorSettings fromEnvironment();
    // The property list's own values win over the defaults.
    SupervisorSettings forAgent(const LaunchAgentDefinition& definition) const;
};

} // namespace quillstone
