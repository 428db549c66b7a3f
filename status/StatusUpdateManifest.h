#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace quillstone {

// The update manifest as the status app reads it; other keys are ignored.
struct StatusUpdateManifest {
    std::string version;
    std::int64_t build = 0;
    std::string downloadURL;

    bool operator==(const StatusUpdateManifest&) const = default;

    // All three keys required: "version" a string, "build" a JSON integer in the
    // signed 64-bit range, "downloadURL" an absolute http or https address.
    static std::optional<StatusUpdateManifest> decode(const std::string& bytes);
};

} // namespace quillstone
