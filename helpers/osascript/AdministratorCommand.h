#pragma once

#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// The one AppleScript form the system runs:
//   do shell script "<escaped command>" with administrator privileges
class AdministratorCommand {
public:
    // The shell command, unescaped exactly once; throws OsascriptError for any
    // other script.
    static std::string fromAppleScript(const std::string& source);

    // The argument vector that runs the osascript arguments (-e SOURCE) with
    // administrator rights: /bin/sh -c COMMAND when it may run directly (the
    // caller is root), else through pkexec. Throws OsascriptError.
    static std::vector<std::string> invocation(const std::vector<std::string>& arguments,
                                               const std::optional<std::string>& pkexec, bool runsDirectly);
};

} // namespace quillstone
