#pragma once

#include <stdexcept>
#include <string>

namespace quillstone {

// A launchctl failure: the message for standard error and the exit status
// launchctl itself uses for it.
class LaunchctlError : public std::runtime_error {
public:
    // launchctl's own statuses; scripts and callers test for them.
    static constexpr int usageStatus = 64;
    static constexpr int ioStatus = 5;
    static constexpr int noSuchProcessStatus = 3;
    static constexpr int permissionStatus = 1;
    static constexpr int alreadyLoadedStatus = 37;
    static constexpr int serviceNotFoundStatus = 113;

    static constexpr const char* usageText =
        "Usage: launchctl bootstrap gui/<uid> <plist> | bootout gui/<uid>/<label> | bootout gui/<uid> <plist> | "
        "enable gui/<uid>/<label> | print gui/<uid>/<label> | kickstart [-k] gui/<uid>/<label> | "
        "asuser <uid> <command> [arguments...]";
    static constexpr const char* bootoutFailedText = "Boot-out failed: 3: No such process";
    static constexpr const char* alreadyLoadedText = "Bootstrap failed: 37: Operation already in progress";
    static constexpr const char* bootstrapFailedPrefix = "Bootstrap failed: 5: Input/output error: ";
    static constexpr const char* otherUserPrefix = "Not permitted: user id ";
    static constexpr const char* otherUserSuffix = " is not the caller's; only the caller's own domain is available";

    LaunchctlError(int status, const std::string& message) : std::runtime_error(message), status_(status) {}
    int status() const { return status_; }

    static LaunchctlError usage(const std::string& detail);
    static LaunchctlError serviceNotFound(const std::string& label, unsigned uid);
    static LaunchctlError bootstrapFailed(const std::string& detail);
    static LaunchctlError otherUser(unsigned asked);

private:
    int status_;
};

} // namespace quillstone
