#include "setup/model/QuillstoneConfiguration.h"

#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"

#include <nlohmann/json.hpp>

namespace quillstone {

QuillstoneConfiguration QuillstoneConfiguration::defaultFor(const std::filesystem::path& home) {
    return QuillstoneConfiguration{1, QuillstoneIntegration::sd4, (home / "Quillstone").string()};
}

std::optional<QuillstoneConfiguration> QuillstoneConfiguration::decode(const std::string& bytes) {
    auto root = BoundedJson::parse(bytes).value_or(nlohmann::json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    auto version = root.find("version");
    auto integration = root.find("integration");
    auto folder = root.find("quillstoneFolderPath");
    if (version == root.end() || integration == root.end() || folder == root.end()) {
        return std::nullopt;
    }
    // An integer, not 1.0 or "1": a float would silently truncate.
    if (!version->is_number_integer() || !integration->is_string() || !folder->is_string()) {
        return std::nullopt;
    }
    if (version->is_number_unsigned() && version->get<uint64_t>() > INT64_MAX) {
        return std::nullopt;
    }
    auto kind = integrationFromRawValue(integration->get<std::string>());
    if (!kind) {
        return std::nullopt;
    }
    return QuillstoneConfiguration{version->get<int64_t>(), *kind, folder->get<std::string>()};
}

std::string QuillstoneConfiguration::encode() const {
    nlohmann::json root = nlohmann::json::object();
    root["version"] = version;
    root["integration"] = std::string(rawValue(integration));
    root["quillstoneFolderPath"] = quillstoneFolderPath;
    return prettyJson(root);
}

} // namespace quillstone
