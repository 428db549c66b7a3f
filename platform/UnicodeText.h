#pragma once

#include <string>
#include <string_view>

namespace quillstone {

// Small Unicode helpers over UTF-8 text (ICU underneath).
bool isValidUtf8(std::string_view text);
// Strips White_Space characters (blanks, tabs, line ends, no-break spaces...) at both ends.
std::string trimmingWhitespace(std::string_view text);
// Full Unicode lower-casing, independent of the user's locale.
std::string lowercased(std::string_view text);

} // namespace quillstone
