#pragma once

#include <stdexcept>
#include <string>

namespace quillstone {

// The Shortcut failed, or answered with details that do not fit the run.
class SD4ShortcutResolverError : public std::runtime_error {
public:
    enum class Code { shortcutFailed, invalidResponse };

    static constexpr const char* shortcutFailedPrefix = "The Quillstone Shortcut failed: ";
    static constexpr const char* invalidResponseDescription = "The Quillstone Shortcut returned an invalid result.";
    // Stands in for an empty or undecodable error message from the Shortcut.
    static constexpr const char* unknownShortcutError = "Unknown Shortcut error";

    static SD4ShortcutResolverError shortcutFailed(const std::string& message);
    static SD4ShortcutResolverError invalidResponse();

    Code code() const { return code_; }
    // The Shortcut's own message (shortcutFailed only).
    const std::string& message() const { return message_; }

private:
    SD4ShortcutResolverError(Code code, const std::string& description, std::string message);

    Code code_;
    std::string message_;
};

} // namespace quillstone
