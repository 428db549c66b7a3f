#pragma once

#include <nlohmann/json.hpp>
#include <string>

namespace quillstone {

// Apple's pretty style: two-space indent, `"key" : value`, keys sorted,
// one member per line, empty containers as [] and {}, no trailing line feed.
std::string prettyJson(const nlohmann::json& value);
// One line, no blanks, keys sorted.
std::string compactJson(const nlohmann::json& value);

} // namespace quillstone
