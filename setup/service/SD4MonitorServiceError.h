#pragma once

#include <stdexcept>

namespace quillstone {

// Failures of the monitor agent and the status host; what() is the user-facing text.
class SD4MonitorServiceError : public std::runtime_error {
public:
    enum class Code {
        missingExecutable,
        missingStatusHost,
        missingUpgradeConfiguration,
        inconsistentUpgradeState,
        launchctlFailed,
        statusHostLaunchFailed,
    };

    static constexpr const char* missingExecutableDescription =
        "Quillstone Setup could not locate its monitor executable.";
    static constexpr const char* missingStatusHostDescription =
        "Quillstone Setup could not locate the visible status monitor.";
    static constexpr const char* missingUpgradeConfigurationDescription =
        "Quillstone found installed components but no saved configuration.";
    static constexpr const char* inconsistentUpgradeStateDescription =
        "Quillstone found an SD4 worker while Classic is selected.";
    static constexpr const char* launchctlFailedDescription = "macOS could not start the Quillstone Monitor.";
    static constexpr const char* statusHostLaunchFailedDescription =
        "macOS could not show the Quillstone status monitor.";

    explicit SD4MonitorServiceError(Code code);
    Code code() const { return code_; }
    static const char* description(Code code);

private:
    Code code_;
};

} // namespace quillstone
