#pragma once

#include "platform/FileManager.h"

#include <cstddef>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

namespace quillstone {

// JSON from files that anyone with access to a synced folder may have written.
// A document larger or deeper than the limits is treated as not JSON at all, before
// it is built, so that no reader, printer or destructor meets it.
class BoundedJson {
  public:
    // About 10,000 status entries; every stored file of the system is far smaller.
    static constexpr std::size_t maximumBytes = 8 * 1024 * 1024;
    // Nested arrays and objects; the limit of Apple's own JSON parser on the Mac and the phone.
    static constexpr std::size_t maximumDepth = 512;

    // Nothing for too many bytes, too deep a nesting, or bytes that are not JSON;
    // then whyNot, when given, receives a short reason for a log line.
    static std::optional<nlohmann::json> parse(std::string_view bytes, std::string* whyNot = nullptr);
    // The file's JSON by the rules of parse; nothing when it is missing, unreadable or too large.
    static std::optional<nlohmann::json> readFile(const FileManager& files, const std::filesystem::path& path);
    // The bytes of a regular file of at most maximumBytes. Anything larger, or not a regular
    // file (a pipe, a device), throws FileError (EFBIG, EINVAL) without being read whole.
    // The real file system is read directly; other file managers through readFile.
    static std::string readBytes(const FileManager& files, const std::filesystem::path& path,
                                 std::size_t limit = maximumBytes);
    // The deepest nesting of arrays and objects in a value (0 for a scalar), counted without recursion.
    static std::size_t depth(const nlohmann::json& value);
};

} // namespace quillstone
