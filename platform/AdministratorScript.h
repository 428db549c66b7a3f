#pragma once

#include <string>

namespace quillstone {

// Runs one AppleScript source of the form
//   do shell script "…" with administrator privileges
// and throws (with the script's own message) when it fails or is refused.
// Linux: the bundle's osascript stand-in, which runs the command through pkexec.
class AdministratorScript {
public:
    virtual ~AdministratorScript() = default;
    virtual void run(const std::string& appleScriptSource) = 0;
};

} // namespace quillstone
