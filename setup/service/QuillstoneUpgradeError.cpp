#include "setup/service/QuillstoneUpgradeError.h"

namespace quillstone {

QuillstoneUpgradeError::QuillstoneUpgradeError(Code code) : std::runtime_error(descriptionFor(code)), code_(code) {}

const char* QuillstoneUpgradeError::descriptionFor(Code code) {
    switch (code) {
    case Code::currentApplicationIsNotInstalled:
        return currentApplicationIsNotInstalledDescription;
    case Code::legacyApplicationRemovalFailed:
        return legacyApplicationRemovalFailedDescription;
    }
    return legacyApplicationRemovalFailedDescription;
}

} // namespace quillstone
