#include "helpers/open/OpenTarget.h"

#include <algorithm>
#include <cctype>

namespace quillstone {

namespace {

bool endsWithIgnoringCase(std::string text, const std::string& suffix) {
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    if (text.size() <= suffix.size()) {
        return false;
    }
    return std::equal(suffix.rbegin(), suffix.rend(), text.rbegin(), [](char a, char b) {
        return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
    });
}

// scheme ":" as in RFC 3986; a single letter is not taken for one.
bool hasScheme(const std::string& text) {
    auto colon = text.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    return std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(colon), [](char character) {
        return std::isalnum(static_cast<unsigned char>(character)) || character == '+' || character == '-' ||
               character == '.';
    });
}

} // namespace

OpenTarget OpenTarget::classify(const std::string& argument) {
    if (hasScheme(argument)) {
        return {Kind::url, argument};
    }
    if (endsWithIgnoringCase(argument, ".app")) {
        return {Kind::application, argument};
    }
    if (endsWithIgnoringCase(argument, ".shortcut")) {
        return {Kind::shortcut, argument};
    }
    return {Kind::file, argument};
}

} // namespace quillstone
