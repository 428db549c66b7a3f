#pragma once

#include "setup/monitor/SD4RunOutcome.h"

#include <cstdint>
#include <string>

namespace quillstone {

// A validated run-finished notice from SuperDuper! 4.
struct SD4RunEvent {
    int64_t version = 1;
    std::string copyJobID;
    std::string runID;
    SD4RunOutcome outcome = SD4RunOutcome::failed;
    bool isCatchup = false;
    int64_t endedAtUnixNanos = 1;

    bool operator==(const SD4RunEvent&) const = default;
};

} // namespace quillstone
