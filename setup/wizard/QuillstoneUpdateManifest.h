#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quillstone {

// version.json on the update server: the newest release on offer.
struct QuillstoneUpdateManifest {
    std::string version;
    std::int64_t build = 0;
    std::string downloadURL;
    std::optional<std::string> releaseNotes;

    bool operator==(const QuillstoneUpdateManifest&) const = default;

    // "version" a string, "build" a JSON integer, "downloadURL" an absolute URL,
    // "releaseNotes" an optional string; other keys ignored. nullopt when unreadable.
    static std::optional<QuillstoneUpdateManifest> decode(std::string_view bytes);
};

} // namespace quillstone
