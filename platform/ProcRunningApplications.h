#pragma once

#include "platform/RunningApplications.h"

#include <filesystem>
#include <functional>
#include <mutex>
#include <sys/types.h>
#include <unistd.h>

namespace quillstone {

// Running applications of one user found by scanning /proc: a process belongs
// to the bundle whose Contents/MacOS holds its executable. /proc cannot bring
// a window forward: activation goes to the activator handed in (an application's
// own bus interface) and fails without one.
class ProcRunningApplications : public RunningApplications {
public:
    // Only processes of this user count, as in a desktop session: even as root,
    // another user's copy of an application is not ours to end.
    explicit ProcRunningApplications(uid_t user = ::getuid(), std::filesystem::path procRoot = "/proc");

    static ProcRunningApplications& shared();

    // Brings the application forward and says whether it did.
    using Activator = std::function<bool(const RunningApplication&)>;
    void setActivator(Activator activator);

    std::vector<RunningApplication> withBundleIdentifier(const std::string& bundleIdentifier) override;
    bool activate(const RunningApplication& application) override;
    bool terminate(const RunningApplication& application) override;
    bool forceTerminate(const RunningApplication& application) override;

private:
    std::mutex activatorLock_;
    Activator activator_;
    uid_t user_;
    std::filesystem::path procRoot_;
};

} // namespace quillstone
