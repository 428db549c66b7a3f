#include "setup/wizard/QuillstoneSetupError.h"

namespace quillstone {

QuillstoneSetupError::QuillstoneSetupError(Code code) : std::runtime_error(description(code)), code_(code) {}

const char* QuillstoneSetupError::description(Code code) {
    switch (code) {
    case Code::administratorAuthorizationFailed:
        return administratorAuthorizationFailedDescription;
    case Code::scriptNotConfigured:
        return scriptNotConfiguredDescription;
    }
    return scriptNotConfiguredDescription;
}

} // namespace quillstone
