#pragma once

#include "setup/model/QuillstoneIntegration.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quillstone {

// The user's two choices: which integration, and which folder holds backup_status.json.
struct QuillstoneConfiguration {
    int64_t version = 1;
    QuillstoneIntegration integration = QuillstoneIntegration::sd4;
    std::string quillstoneFolderPath;

    bool isComplete() const { return version == 1 && !quillstoneFolderPath.empty(); }
    bool operator==(const QuillstoneConfiguration&) const = default;

    // Version 1, sd4, and the folder "Quillstone" in the home folder. Computed, never written.
    static QuillstoneConfiguration defaultFor(const std::filesystem::path& home);

    // Strict decoding of configuration.json: all three keys, exact types,
    // a known integration. Completeness is not checked here.
    static std::optional<QuillstoneConfiguration> decode(const std::string& bytes);
    // Apple-style pretty JSON, keys sorted.
    std::string encode() const;
};

} // namespace quillstone
