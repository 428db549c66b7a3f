#include "status/LocalIntegration.h"

namespace quillstone {

std::optional<LocalIntegration> localIntegrationFromString(std::string_view text) {
    if (text == "sd4") {
        return LocalIntegration::sd4;
    }
    if (text == "classic") {
        return LocalIntegration::classic;
    }
    return std::nullopt;
}

} // namespace quillstone
