#pragma once

#include <stdexcept>

namespace quillstone {

// Failures of the Classic installation itself, in the domain "QuillstoneSetup".
class QuillstoneSetupError : public std::runtime_error {
public:
    static constexpr const char* domain = "QuillstoneSetup";
    enum class Code { administratorAuthorizationFailed = 1, scriptNotConfigured = 2 };

    static constexpr const char* administratorAuthorizationFailedDescription =
        "Administrator authorization was cancelled or failed.";
    static constexpr const char* scriptNotConfiguredDescription = "BackupMonitor.sh could not be configured.";

    explicit QuillstoneSetupError(Code code);
    Code code() const { return code_; }
    static const char* description(Code code);

private:
    Code code_;
};

} // namespace quillstone
