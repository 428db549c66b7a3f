#pragma once

#include "platform/UserDomain.h"
#include "status/LocalConfiguration.h"

#include <filesystem>
#include <optional>

namespace quillstone::StatusFileLocations {

// <support folder>/configuration.json, the support folder as every store finds it.
std::filesystem::path configurationFile(const UserDomain& domain);
// The configured folder, or <home>/Quillstone without a configuration.
std::filesystem::path statusFolder(const std::optional<LocalConfiguration>& configuration, const UserDomain& domain);
std::filesystem::path statusFile(const std::optional<LocalConfiguration>& configuration, const UserDomain& domain);

} // namespace quillstone::StatusFileLocations
