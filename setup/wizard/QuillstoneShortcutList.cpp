#include "setup/wizard/QuillstoneShortcutList.h"

#include "platform/UnicodeText.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <cstdint>
#include <limits>

namespace quillstone {

namespace {

bool isLineBreak(UChar32 character) {
    return character == 0x0A || character == 0x0B || character == 0x0C || character == 0x0D ||
           character == 0x85 || character == 0x2028 || character == 0x2029;
}

// Tabs and the space separators only: line breaks end a line, they are never trimmed.
bool isBlank(UChar32 character) { return character == 0x09 || u_charType(character) == U_SPACE_SEPARATOR; }

std::string_view trimmed(std::string_view line) { return trimming(line, isBlank); }

} // namespace

bool QuillstoneShortcutList::contains(std::string_view output, std::string_view name) {
    if (output.size() > static_cast<size_t>(std::numeric_limits<int32_t>::max())) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(output.data());
    const auto length = static_cast<int32_t>(output.size());
    // Validate everything first: one bad byte anywhere makes the whole output unreadable.
    for (int32_t index = 0; index < length;) {
        UChar32 character;
        U8_NEXT(bytes, index, length, character);
        if (character < 0) {
            return false;
        }
    }
    int32_t lineStart = 0;
    int32_t index = 0;
    while (index <= length) {
        int32_t next = index;
        UChar32 character = -1;
        if (index < length) {
            U8_NEXT(bytes, next, length, character);
        }
        if (index == length || isLineBreak(character)) {
            auto line = output.substr(static_cast<size_t>(lineStart), static_cast<size_t>(index - lineStart));
            if (!line.empty() && trimmed(line) == name) {
                return true;
            }
            if (index == length) {
                break;
            }
            lineStart = next;
        }
        index = next;
    }
    return false;
}

} // namespace quillstone
