#pragma once

#include "platform/RunningApplications.h"

#include <filesystem>
#include <sys/types.h>
#include <unistd.h>

namespace quillstone {

// Running applications of one user found by scanning /proc: a process belongs
// to the bundle whose Contents/MacOS holds its executable. There is no window
// server to ask, so activation has nothing to do and succeeds.
class ProcRunningApplications : public RunningApplications {
public:
    // Only processes of this user count, as in a desktop session: even as root,
    // another user's copy of an application is not ours to end.
    explicit ProcRunningApplications(uid_t user = ::getuid(), std::filesystem::path procRoot = "/proc");

    static ProcRunningApplications& shared();

    std::vector<RunningApplication> withBundleIdentifier(const std::string& bundleIdentifier) override;
    bool activate(const RunningApplication& application) override;
    bool terminate(const RunningApplication& application) override;
    bool forceTerminate(const RunningApplication& application) override;

private:
    uid_t user_;
    std::filesystem::path procRoot_;
};

} // namespace quillstone
