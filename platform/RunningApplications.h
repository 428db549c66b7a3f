#pragma once

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillstone {

struct RunningApplication {
    pid_t processIdentifier = -1;
    std::string bundleIdentifier;
    std::filesystem::path bundlePath;
};

// The running applications of this user, found by bundle identifier.
// Linux: a /proc scan; a process belongs to the bundle whose Contents/MacOS
// holds its executable and whose Info.plist names the identifier.
class RunningApplications {
public:
    virtual ~RunningApplications() = default;
    virtual std::vector<RunningApplication> withBundleIdentifier(const std::string& bundleIdentifier) = 0;
    // Brings the application forward; false when it could not.
    virtual bool activate(const RunningApplication& application) = 0;
    // Polite termination (SIGTERM) and forced termination (SIGKILL); false when the signal failed.
    virtual bool terminate(const RunningApplication& application) = 0;
    virtual bool forceTerminate(const RunningApplication& application) = 0;
};

} // namespace quillstone
