#pragma once

#include "platform/RunningApplications.h"

#include <algorithm>
#include <vector>

namespace quillstone::testing {

// A fixed list of running applications that records what was asked of it.
class FakeRunningApplications : public RunningApplications {
public:
    std::vector<RunningApplication> running;
    std::vector<pid_t> activated;
    std::vector<pid_t> terminated;
    std::vector<pid_t> forceTerminated;
    bool activationWorks = true;

    std::vector<RunningApplication> withBundleIdentifier(const std::string& bundleIdentifier) override {
        std::vector<RunningApplication> found;
        std::copy_if(running.begin(), running.end(), std::back_inserter(found),
                     [&](const RunningApplication& application) { return application.bundleIdentifier == bundleIdentifier; });
        return found;
    }
    bool activate(const RunningApplication& application) override {
        activated.push_back(application.processIdentifier);
        return activationWorks;
    }
    bool terminate(const RunningApplication& application) override {
        terminated.push_back(application.processIdentifier);
        return true;
    }
    bool forceTerminate(const RunningApplication& application) override {
        forceTerminated.push_back(application.processIdentifier);
        return true;
    }
};

} // namespace quillstone::testing
