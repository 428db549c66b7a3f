#pragma once

#include <stdexcept>
#include <string>

namespace quillstone {

// Why the osascript stand-in refuses to run something; exits with status 1.
class OsascriptError : public std::runtime_error {
public:
    static constexpr int status = 1;
    static constexpr const char* usageText =
        "osascript: only -e 'do shell script \"…\" with administrator privileges' is supported";
    static constexpr const char* unsupportedEscapePrefix = "osascript: unsupported escape in the string: \\";
    static constexpr const char* unterminatedText = "osascript: the command string is not terminated";
    static constexpr const char* noPkexecText =
        "osascript: administrator privileges are not available: pkexec is not installed";

    using std::runtime_error::runtime_error;
};

} // namespace quillstone
