#pragma once

#include "platform/RunningApplications.h"

#include <filesystem>

namespace quillstone {

// Running applications found by scanning /proc: a process belongs to the bundle
// whose Contents/MacOS holds its executable. There is no window server to ask,
// so activation has nothing to do and succeeds.
class ProcRunningApplications : public RunningApplications {
public:
    explicit ProcRunningApplications(std::filesystem::path procRoot = "/proc");

    static ProcRunningApplications& shared();

    std::vector<RunningApplication> withBundleIdentifier(const std::string& bundleIdentifier) override;
    bool activate(const RunningApplication& application) override;
    bool terminate(const RunningApplication& application) override;
    bool forceTerminate(const RunningApplication& application) override;

private:
    std::filesystem::path procRoot_;
};

} // namespace quillstone
