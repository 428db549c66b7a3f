#pragma once

#include <filesystem>
#include <optional>

namespace quillstone {

// Lexical path rules for application bundles; nothing here touches the disk.
class QuillstoneApplicationPaths {
public:
    // The path with "." and ".." resolved and no trailing separator; links are not followed.
    static std::filesystem::path standardized(const std::filesystem::path& path);
    // True for a last component ending in ".app", in any case.
    static bool hasApplicationExtension(const std::filesystem::path& path);
    // The outermost ".app" folder on the path (the path itself included), if any.
    static std::optional<std::filesystem::path> outermostApplicationBundle(const std::filesystem::path& path);
};

// The names callers use.
inline std::optional<std::filesystem::path> outermostApplicationBundle(const std::filesystem::path& path) {
    return QuillstoneApplicationPaths::outermostApplicationBundle(path);
}

} // namespace quillstone
