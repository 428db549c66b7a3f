#pragma once

#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace quillstone::storedJson {

// Typed reads from the monitor's own JSON files. nlohmann converts silently
// (5.5 to 5, 2^64 to a double), so every type is checked first.

// A JSON integer within the signed 64-bit range; nullopt for anything else, null or absent.
std::optional<int64_t> integer(const nlohmann::json& object, const char* key);
// A JSON string; nullopt for anything else or absent.
std::optional<std::string> string(const nlohmann::json& object, const char* key);

} // namespace quillstone::storedJson
