#pragma once

#include "platform/RunningApplications.h"
#include "support/TemporaryFolder.h"

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

namespace quillstone::testing {

// A status app counts as running while its bundle carries the process id the
// fake status program or the fake open leave behind.
class MarkedRunningApplications : public RunningApplications {
public:
    std::vector<std::filesystem::path> statusBundles;

    std::vector<RunningApplication> withBundleIdentifier(const std::string& identifier) override {
        std::vector<RunningApplication> found;
        for (const auto& bundle : statusBundles) {
            std::istringstream mark(readText(bundle / "Contents/running"));
            pid_t pid = 0;
            if (identifier == "com.quillstone.Quillstone-Setup.Status" && mark >> pid) {
                found.push_back({pid, identifier, bundle});
            }
        }
        return found;
    }
    bool activate(const RunningApplication&) override { return true; }
    bool terminate(const RunningApplication& application) override { return forceTerminate(application); }
    bool forceTerminate(const RunningApplication& application) override {
        std::filesystem::remove(application.bundlePath / "Contents/running");
        return true;
    }
};

} // namespace quillstone::testing
