#pragma once

#include "setup/monitor/SD4RunOutcome.h"

#include <cstdint>
#include <optional>
#include <string>
#include <variant>

namespace quillstone {

// The run details the Shortcut answered with, validated against the event.
struct SD4ResolvedRun {
    std::string jobName;
    std::string runID;
    SD4RunOutcome outcome = SD4RunOutcome::failed;
    std::string summary;
    std::string source;
    std::string destination;
    std::optional<int64_t> bytesCopied;
    std::optional<int64_t> itemsCopied;
    std::optional<int64_t> itemsUpdated;
    std::optional<int64_t> itemsDeleted;
    std::optional<std::string> startedAtDisplay;
    std::optional<std::string> endedAtDisplay;
    std::optional<std::string> bootableDisplay;
    std::optional<int64_t> deferredCount;

    bool operator==(const SD4ResolvedRun&) const = default;
};

// A resolved run, or the description of why it could not be resolved.
using SD4ResolveResult = std::variant<SD4ResolvedRun, std::string>;

} // namespace quillstone
