#include "platform/BoundedJson.h"

#include "platform/FileError.h"

#include <cerrno>

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

namespace quillstone {

using nlohmann::json;

namespace {

// The library's own document builder, stopped as soon as the nesting goes too deep.
class DepthLimitedBuilder {
  public:
    using Builder = nlohmann::detail::json_sax_dom_parser<json>;

    explicit DepthLimitedBuilder(json& root) : builder_(root, false) {}

    bool null() { return builder_.null(); }
    bool boolean(bool value) { return builder_.boolean(value); }
    bool number_integer(json::number_integer_t value) { return builder_.number_integer(value); }
    bool number_unsigned(json::number_unsigned_t value) { return builder_.number_unsigned(value); }
    bool number_float(json::number_float_t value, const json::string_t& text) {
        return builder_.number_float(value, text);
    }
    bool string(json::string_t& value) { return builder_.string(value); }
    bool binary(json::binary_t& value) { return builder_.binary(value); }
    bool start_object(std::size_t size) { return enter() && builder_.start_object(size); }
    bool key(json::string_t& value) { return builder_.key(value); }
    bool end_object() {
        --depth_;
        return builder_.end_object();
    }
    bool start_array(std::size_t size) { return enter() && builder_.start_array(size); }
    bool end_array() {
        --depth_;
        return builder_.end_array();
    }
    template <class Exception>
    bool parse_error(std::size_t position, const std::string& token, const Exception& error) {
        reason_ = error.what();
        return builder_.parse_error(position, token, error);
    }

    std::string reason() const {
        return depth_ > BoundedJson::maximumDepth
                   ? "nested deeper than " + std::to_string(BoundedJson::maximumDepth) + " levels"
                   : reason_;
    }

  private:
    bool enter() { return ++depth_ <= BoundedJson::maximumDepth; }

    Builder builder_;
    std::size_t depth_ = 0;
    std::string reason_;
};

} // namespace

std::string BoundedJson::readBytes(const FileManager& files, const std::filesystem::path& path, std::size_t limit) {
    if (const auto* posix = dynamic_cast<const PosixFileManager*>(&files)) {
        return posix->readRegularFile(path, limit);
    }
    std::string bytes = files.readFile(path);
    if (bytes.size() > limit) {
        throw FileError(EFBIG, path, "Could not read");
    }
    return bytes;
}

std::optional<json> BoundedJson::parse(std::string_view bytes, std::string* whyNot) {
    if (bytes.size() > maximumBytes) {
        if (whyNot) {
            *whyNot = "larger than " + std::to_string(maximumBytes) + " bytes";
        }
        return std::nullopt;
    }
    json root;
    DepthLimitedBuilder builder(root);
    bool parsed = false;
    try {
        parsed = json::sax_parse(bytes.begin(), bytes.end(), &builder);
    } catch (const std::exception& error) {
        builder.parse_error(0, "", error);
    }
    if (!parsed || root.is_discarded()) {
        if (whyNot) {
            *whyNot = builder.reason();
        }
        return std::nullopt;
    }
    return root;
}

std::optional<json> BoundedJson::readFile(const FileManager& files, const std::filesystem::path& path) {
    try {
        return parse(readBytes(files, path));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::size_t BoundedJson::depth(const json& value) {
    std::size_t deepest = 0;
    std::vector<std::pair<const json*, std::size_t>> pending{{&value, 0}};
    while (!pending.empty()) {
        auto [current, level] = pending.back();
        pending.pop_back();
        if (!current->is_structured()) {
            continue;
        }
        ++level;
        deepest = std::max(deepest, level);
        for (const auto& child : *current) {
            if (child.is_structured()) {
                pending.emplace_back(&child, level);
            }
        }
    }
    return deepest;
}

} // namespace quillstone
