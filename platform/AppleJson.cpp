#include "platform/AppleJson.h"

#include "platform/BoundedJson.h"

#include <stdexcept>

namespace quillstone {

using nlohmann::json;

namespace {

void requireBoundedDepth(const json& value) {
    // The library prints by recursion; a bounded depth keeps its stack bounded.
    if (BoundedJson::depth(value) > BoundedJson::maximumDepth) {
        throw std::length_error("The JSON document is nested too deeply to be written.");
    }
}

// Invalid UTF-8 is replaced rather than thrown on: a stored name must never stop a write.
class Printer {
  public:
    explicit Printer(std::string& out)
        : out_(out),
          serializer_(nlohmann::detail::output_adapter<char, std::string>(out), ' ', json::error_handler_t::replace) {}

    void compact(const json& value) { serializer_.dump(value, false, false, 0); }

    void pretty(const json& value, std::size_t level) {
        if (!value.is_structured() || value.empty() || level >= prettyIndentedLevels) {
            compact(value);
            return;
        }
        const bool isObject = value.is_object();
        out_ += isObject ? "{\n" : "[\n";
        bool first = true;
        for (auto member = value.begin(); member != value.end(); ++member) {
            if (!first) {
                out_ += ",\n";
            }
            first = false;
            out_.append(2 * (level + 1), ' ');
            if (isObject) {
                key(member.key());
                out_ += " : ";
            }
            pretty(*member, level + 1);
        }
        out_ += '\n';
        out_.append(2 * level, ' ');
        out_ += isObject ? '}' : ']';
    }

  private:
    void key(const std::string& name) {
        // Plain keys, the usual case, need no escaping.
        for (unsigned char character : name) {
            if (character < 0x20 || character >= 0x7f || character == '"' || character == '\\') {
                compact(json(name));
                return;
            }
        }
        out_ += '"';
        out_ += name;
        out_ += '"';
    }

    std::string& out_;
    nlohmann::detail::serializer<json> serializer_;
};

} // namespace

std::string prettyJson(const json& value) {
    requireBoundedDepth(value);
    std::string out;
    Printer(out).pretty(value, 0);
    return out;
}

std::string compactJson(const json& value) {
    requireBoundedDepth(value);
    std::string out;
    Printer(out).compact(value);
    return out;
}

} // namespace quillstone
