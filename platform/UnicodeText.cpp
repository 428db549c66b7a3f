#include "platform/UnicodeText.h"

#include <unicode/locid.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>
#include <unicode/utf8.h>

namespace quillstone {

namespace {
int32_t lengthOf(std::string_view text) {
    return text.size() > INT32_MAX ? -1 : static_cast<int32_t>(text.size());
}
} // namespace

bool isValidUtf8(std::string_view text) {
    int32_t length = lengthOf(text);
    if (length < 0) {
        return false;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t index = 0;
    while (index < length) {
        UChar32 character;
        U8_NEXT(bytes, index, length, character);
        if (character < 0) {
            return false;
        }
    }
    return true;
}

std::string_view trimming(std::string_view text, bool (*drop)(std::int32_t codePoint)) {
    int32_t length = lengthOf(text);
    if (length < 0) {
        return text;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    int32_t start = 0;
    while (start < length) {
        int32_t next = start;
        UChar32 character;
        U8_NEXT(bytes, next, length, character);
        if (character < 0 || !drop(character)) {
            break;
        }
        start = next;
    }
    int32_t end = length;
    while (end > start) {
        int32_t previous = end;
        UChar32 character;
        U8_PREV(bytes, 0, previous, character);
        if (character < 0 || !drop(character)) {
            break;
        }
        end = previous;
    }
    return text.substr(static_cast<size_t>(start), static_cast<size_t>(end - start));
}

std::string trimmingWhitespace(std::string_view text) {
    return std::string(trimming(text, [](std::int32_t character) -> bool { return u_isUWhiteSpace(character); }));
}

std::string lowercased(std::string_view text) {
    icu::UnicodeString unicode = icu::UnicodeString::fromUTF8(icu::StringPiece(text.data(), lengthOf(text)));
    std::string result;
    unicode.toLower(icu::Locale::getRoot()).toUTF8String(result);
    return result;
}

} // namespace quillstone
