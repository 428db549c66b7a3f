#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace quillstone {

enum class QuillstoneIntegration { sd4, classic };

inline constexpr std::array<QuillstoneIntegration, 2> allQuillstoneIntegrations{QuillstoneIntegration::sd4,
                                                                               QuillstoneIntegration::classic};

// Stored as exactly "sd4" or "classic"; no aliases, no case folding.
std::string_view rawValue(QuillstoneIntegration integration);
std::optional<QuillstoneIntegration> integrationFromRawValue(std::string_view text);

} // namespace quillstone
