#include "setup/model/QuillstoneIntegration.h"

namespace quillstone {

std::string_view rawValue(QuillstoneIntegration integration) {
    return integration == QuillstoneIntegration::sd4 ? "sd4" : "classic";
}

std::optional<QuillstoneIntegration> integrationFromRawValue(std::string_view text) {
    for (auto integration : allQuillstoneIntegrations) {
        if (rawValue(integration) == text) {
            return integration;
        }
    }
    return std::nullopt;
}

} // namespace quillstone
