#pragma once

#include "setup/wizard/QuillstoneUpdateManifest.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quillstone {

// The offer the wizard keeps: a field-by-field copy of the manifest.
struct QuillstoneAvailableUpdate {
    std::string version;
    std::int64_t build = 0;
    std::string downloadURL;
    std::optional<std::string> releaseNotes;

    bool operator==(const QuillstoneAvailableUpdate&) const = default;

    static QuillstoneAvailableUpdate from(const QuillstoneUpdateManifest& manifest) {
        return {manifest.version, manifest.build, manifest.downloadURL, manifest.releaseNotes};
    }
};

} // namespace quillstone
