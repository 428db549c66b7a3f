#include "platform/AppleJson.h"

namespace quillstone {

namespace {

// Invalid UTF-8 is replaced rather than thrown on: a stored name must never stop a write.
std::string scalar(const nlohmann::json& value) {
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void writePretty(const nlohmann::json& value, int depth, std::string& out) {
    const std::string indent(static_cast<size_t>(depth + 1) * 2, ' ');
    const std::string closingIndent(static_cast<size_t>(depth) * 2, ' ');
    if (value.is_object()) {
        if (value.empty()) {
            out += "{}";
            return;
        }
        out += "{\n";
        bool first = true;
        for (const auto& [key, member] : value.items()) {
            if (!first) {
                out += ",\n";
            }
            first = false;
            out += indent;
            out += scalar(nlohmann::json(key));
            out += " : ";
            writePretty(member, depth + 1, out);
        }
        out += "\n" + closingIndent + "}";
    } else if (value.is_array()) {
        if (value.empty()) {
            out += "[]";
            return;
        }
        out += "[\n";
        bool first = true;
        for (const auto& element : value) {
            if (!first) {
                out += ",\n";
            }
            first = false;
            out += indent;
            writePretty(element, depth + 1, out);
        }
        out += "\n" + closingIndent + "]";
    } else {
        out += scalar(value);
    }
}

} // namespace

std::string prettyJson(const nlohmann::json& value) {
    std::string out;
    writePretty(value, 0, out);
    return out;
}

std::string compactJson(const nlohmann::json& value) { return scalar(value); }

} // namespace quillstone
