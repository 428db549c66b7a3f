#pragma once

#include "helpers/launchctl/HelperToolMap.h"
#include "helpers/launchctl/ServiceManager.h"
#include "platform/FileManager.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace quillstone {

struct LaunchctlCommand;

// The launchctl stand-in: parses the macOS argument list, checks the domain and
// hands the work to a service manager. Returns launchctl's exit status.
class Launchctl {
public:
    // Replaces the process with the command (exec); returns only on failure,
    // with the status to exit with.
    using Exec = std::function<int(const std::string& executable, const std::vector<std::string>& arguments)>;
    // Chosen lazily, so asuser never probes for a service manager.
    using ServiceManagerFactory = std::function<ServiceManager&()>;

    Launchctl(ServiceManagerFactory services, const FileManager& files, HelperToolMap tools, Exec exec,
              unsigned callerUid, std::ostream& output, std::ostream& errors);

    int run(const std::vector<std::string>& arguments);

    // The `print` text for a service.
    static std::string describe(const ServiceStatus& status, unsigned uid);

private:
    int dispatch(const LaunchctlCommand& command);
    std::string labelFromPlist(const std::filesystem::path& plistPath) const;

    ServiceManagerFactory services_;
    const FileManager& files_;
    HelperToolMap tools_;
    Exec exec_;
    unsigned callerUid_;
    std::ostream& output_;
    std::ostream& errors_;
};

} // namespace quillstone
