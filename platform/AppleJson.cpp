#include "platform/AppleJson.h"

namespace quillstone {

namespace {

// Invalid UTF-8 is replaced rather than thrown on: a stored name must never stop a write.
std::string scalar(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

// The library's two-space layout differs from Apple's only in the blank before
// each member's colon; adding it while copying keeps large documents fast.
std::string withSpacedColons(const std::string& indented) {
    std::string out;
    out.reserve(indented.size() + indented.size() / 16);
    size_t position = 0;
    while (position < indented.size()) {
        size_t lineEnd = indented.find('\n', position);
        if (lineEnd == std::string::npos) {
            lineEnd = indented.size();
        }
        size_t first = indented.find_first_not_of(' ', position);
        size_t keyEnd = std::string::npos;
        if (first < lineEnd && indented[first] == '"') {
            // Find the closing quote of the leading string; escapes never end it.
            for (size_t index = first + 1; index < lineEnd; ++index) {
                if (indented[index] == '\\') {
                    ++index;
                } else if (indented[index] == '"') {
                    keyEnd = index + 1;
                    break;
                }
            }
        }
        if (keyEnd != std::string::npos && indented.compare(keyEnd, 2, ": ") == 0) {
            out.append(indented, position, keyEnd - position);
            out += " : ";
            out.append(indented, keyEnd + 2, lineEnd - keyEnd - 2);
        } else {
            out.append(indented, position, lineEnd - position);
        }
        if (lineEnd < indented.size()) {
            out += '\n';
        }
        position = lineEnd + 1;
    }
    return out;
}

} // namespace

std::string prettyJson(const nlohmann::json& value) {
    return withSpacedColons(value.dump(2, ' ', false, nlohmann::json::error_handler_t::replace));
}

std::string compactJson(const nlohmann::json& value) { return scalar(value); }

} // namespace quillstone
