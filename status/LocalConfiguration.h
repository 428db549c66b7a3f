#pragma once

#include "status/LocalIntegration.h"

#include <optional>
#include <string>

namespace quillstone {

// What the status app takes from configuration.json: only these two keys are read.
struct LocalConfiguration {
    std::optional<LocalIntegration> integration; // missing or null: empty
    std::string quillstoneFolderPath;

    bool isClassic() const { return integration == LocalIntegration::classic; }
    bool operator==(const LocalConfiguration&) const = default;

    // Nothing for invalid JSON, a missing or non-string folder path, or an unknown integration.
    static std::optional<LocalConfiguration> decode(const std::string& bytes);
};

} // namespace quillstone
