#pragma once

#include "platform/AdministratorScript.h"

#include <filesystem>
#include <stdexcept>
#include <string>

namespace quillstone {

// The administrator script failed or was refused; what() is osascript's own message.
class AdministratorScriptError : public std::runtime_error {
public:
    // When osascript says nothing about why it failed.
    static constexpr const char* unknownFailureText = "The administrator script failed.";
    using std::runtime_error::runtime_error;
};

// Runs the script through an osascript program: `osascript -e SOURCE`.
// Launch failures pass through as ProcessLaunchError.
class HelperAdministratorScript : public AdministratorScript {
public:
    // The running platform's osascript (on Linux the bundle's stand-in).
    HelperAdministratorScript();
    explicit HelperAdministratorScript(std::filesystem::path osascript);

    void run(const std::string& appleScriptSource) override;

private:
    std::filesystem::path osascript_;
};

} // namespace quillstone
