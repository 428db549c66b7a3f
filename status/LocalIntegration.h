#pragma once

#include <optional>
#include <string_view>

namespace quillstone {

// The integration as the status app reads it from configuration.json.
enum class LocalIntegration { sd4, classic };

// Exactly "sd4" or "classic"; anything else is not an integration.
std::optional<LocalIntegration> localIntegrationFromString(std::string_view text);

} // namespace quillstone
