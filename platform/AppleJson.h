#pragma once

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

namespace quillstone {

// Apple's pretty style: two-space indent, `"key" : value`, keys sorted,
// one member per line, empty containers as [] and {}, no trailing line feed.
// Only the outer prettyIndentedLevels levels of containers are laid out; deeper
// ones are written compactly on their line, so that the printed text stays within
// a small multiple of the document's own size however deep it is nested.
// Throws std::length_error for a value nested deeper than BoundedJson::maximumDepth.
std::string prettyJson(const nlohmann::json& value);
// One line, no blanks, keys sorted. Throws like prettyJson.
std::string compactJson(const nlohmann::json& value);

// Deep enough for every file of the system: root, list, entry and one nested value.
inline constexpr std::size_t prettyIndentedLevels = 4;

} // namespace quillstone
