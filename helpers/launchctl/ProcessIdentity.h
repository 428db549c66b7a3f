#pragma once

#include <optional>
#include <string>
#include <sys/types.h>

namespace quillstone {

// A process told apart from a later one that reuses its pid: the pid, its
// start time in clock ticks since boot, and the boot it started in.
struct ProcessIdentity {
    pid_t pid = 0;
    unsigned long long startTime = 0;
    std::string bootId;

    // The identity of a live process; nullopt when there is none with that pid.
    static std::optional<ProcessIdentity> of(pid_t pid);
    static std::optional<ProcessIdentity> decode(const std::string& text);
    std::string encode() const;

    // True while this very process exists (and is not a zombie).
    bool isAlive() const;
    bool operator==(const ProcessIdentity&) const = default;
};

} // namespace quillstone
