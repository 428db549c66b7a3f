#include "helpers/launchctl/LaunchctlError.h"

namespace quillstone {

LaunchctlError LaunchctlError::usage(const std::string& detail) {
    return LaunchctlError(usageStatus, detail + "\n" + usageText);
}

LaunchctlError LaunchctlError::serviceNotFound(const std::string& label, unsigned uid) {
    return LaunchctlError(serviceNotFoundStatus, "Could not find service \"" + label + "\" in domain gui/" +
                                                     std::to_string(uid));
}

LaunchctlError LaunchctlError::bootstrapFailed(const std::string& detail) {
    return LaunchctlError(ioStatus, std::string(bootstrapFailedPrefix) + detail);
}

LaunchctlError LaunchctlError::otherUser(unsigned asked) {
    return LaunchctlError(permissionStatus, otherUserPrefix + std::to_string(asked) + otherUserSuffix);
}

} // namespace quillstone
