#include "setup/service/QuillstoneInstalledComponents.h"

#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/StandardizedPath.h"

#include <nlohmann/json.hpp>

namespace quillstone {

QuillstoneInstalledComponents QuillstoneInstalledComponents::current(QuillstoneIntegration integration,
                                                                     const Bundle& bundle) {
    return QuillstoneInstalledComponents{bundle.shortVersion().value_or("0"), bundle.bundleVersion().value_or("0"),
                                         standardizedPath(bundle.path()).string(), integration};
}

std::optional<QuillstoneInstalledComponents> QuillstoneInstalledComponents::decode(const std::string& bytes) {
    auto root = BoundedJson::parse(bytes).value_or(nlohmann::json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    for (const char* key : {"version", "build", "bundlePath", "integration"}) {
        if (!root.contains(key) || !root[key].is_string()) {
            return std::nullopt;
        }
    }
    auto integration = integrationFromRawValue(root["integration"].get<std::string>());
    if (!integration) {
        return std::nullopt;
    }
    return QuillstoneInstalledComponents{root["version"].get<std::string>(), root["build"].get<std::string>(),
                                         root["bundlePath"].get<std::string>(), *integration};
}

std::string QuillstoneInstalledComponents::encode() const {
    return prettyJson(nlohmann::json{{"version", version},
                                     {"build", build},
                                     {"bundlePath", bundlePath},
                                     {"integration", std::string(rawValue(integration))}});
}

} // namespace quillstone
