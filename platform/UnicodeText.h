#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quillstone {

// Small Unicode helpers over UTF-8 text (ICU underneath).
bool isValidUtf8(std::string_view text);
// The text without the code points at either end for which drop is true;
// stops at the first invalid byte sequence.
std::string_view trimming(std::string_view text, bool (*drop)(std::int32_t codePoint));
// Strips White_Space characters (blanks, tabs, line ends, no-break spaces...) at both ends.
std::string trimmingWhitespace(std::string_view text);
// Full Unicode lower-casing, independent of the user's locale.
std::string lowercased(std::string_view text);

} // namespace quillstone
