#pragma once

#include <string>

namespace quillstone {

// The one place a command meets a shell: quoting of paths for /bin/sh and the
// AppleScript "do shell script" wrapper that runs it with administrator rights.
class QuillstoneAdministratorCommand {
public:
    static constexpr const char* scriptPrefix = "do shell script ";
    static constexpr const char* scriptSuffix = "with administrator privileges";

    // 'text' with every inner ' written as '\'' so the shell sees one word.
    static std::string shellQuoted(const std::string& text);
    // Backslashes doubled first, then double quotes escaped, for an AppleScript string literal.
    static std::string appleScriptEscaped(const std::string& command);
    // do shell script "<escaped command>" with administrator privileges
    static std::string appleScriptSource(const std::string& command);
};

} // namespace quillstone
