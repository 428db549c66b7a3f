#include "setup/wizard/QuillstoneShortcutBridgeError.h"

namespace quillstone {

QuillstoneShortcutBridgeError::QuillstoneShortcutBridgeError(Code code)
    : std::runtime_error(description(code)), code_(code) {}

const char* QuillstoneShortcutBridgeError::description(Code code) {
    switch (code) {
    case Code::missingBundledShortcut:
        return missingBundledShortcutDescription;
    case Code::couldNotOpenShortcut:
        return couldNotOpenShortcutDescription;
    }
    return couldNotOpenShortcutDescription;
}

} // namespace quillstone
