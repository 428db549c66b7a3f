#include "setup/service/SD4MonitorServiceError.h"

namespace quillstone {

SD4MonitorServiceError::SD4MonitorServiceError(Code code) : std::runtime_error(description(code)), code_(code) {}

const char* SD4MonitorServiceError::description(Code code) {
    switch (code) {
    case Code::missingExecutable: return missingExecutableDescription;
    case Code::missingStatusHost: return missingStatusHostDescription;
    case Code::missingUpgradeConfiguration: return missingUpgradeConfigurationDescription;
    case Code::inconsistentUpgradeState: return inconsistentUpgradeStateDescription;
    case Code::launchctlFailed: return launchctlFailedDescription;
    case Code::statusHostLaunchFailed: return statusHostLaunchFailedDescription;
    }
    return launchctlFailedDescription;
}

} // namespace quillstone
