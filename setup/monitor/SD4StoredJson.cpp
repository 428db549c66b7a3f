#include "setup/monitor/SD4StoredJson.h"

#include <limits>

namespace quillstone::storedJson {

std::optional<int64_t> integer(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end()) {
        return std::nullopt;
    }
    if (found->is_number_unsigned()) {
        const auto value = found->get<uint64_t>();
        if (value > static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            return std::nullopt;
        }
        return static_cast<int64_t>(value);
    }
    if (found->is_number_integer()) {
        return found->get<int64_t>();
    }
    return std::nullopt;
}

std::optional<std::string> string(const nlohmann::json& object, const char* key) {
    auto found = object.find(key);
    if (found == object.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

} // namespace quillstone::storedJson
