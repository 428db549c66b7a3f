#include "status/LocalConfiguration.h"

#include "platform/BoundedJson.h"

#include <nlohmann/json.hpp>

namespace quillstone {

std::optional<LocalConfiguration> LocalConfiguration::decode(const std::string& bytes) {
    auto root = BoundedJson::parse(bytes).value_or(nlohmann::json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    LocalConfiguration configuration;
    auto folder = root.find("quillstoneFolderPath");
    if (folder == root.end() || !folder->is_string()) {
        return std::nullopt;
    }
    configuration.quillstoneFolderPath = folder->get<std::string>();
    auto integration = root.find("integration");
    if (integration != root.end() && !integration->is_null()) {
        if (!integration->is_string()) {
            return std::nullopt;
        }
        configuration.integration = localIntegrationFromString(integration->get_ref<const std::string&>());
        if (!configuration.integration) {
            return std::nullopt;
        }
    }
    return configuration;
}

} // namespace quillstone
