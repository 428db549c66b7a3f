#pragma once

#include <stdexcept>

namespace quillstone {

// Opening the bundled Shortcut failed; what() is the user-facing text.
class QuillstoneShortcutBridgeError : public std::runtime_error {
public:
    enum class Code { missingBundledShortcut, couldNotOpenShortcut };

    static constexpr const char* missingBundledShortcutDescription =
        "The Quillstone connection is missing from this Setup app.";
    static constexpr const char* couldNotOpenShortcutDescription = "macOS could not open the Quillstone connection.";

    explicit QuillstoneShortcutBridgeError(Code code);
    Code code() const { return code_; }
    static const char* description(Code code);

private:
    Code code_;
};

} // namespace quillstone
