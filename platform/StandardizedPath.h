#pragma once

#include <filesystem>

namespace quillstone {

// A path with "." and ".." resolved lexically and no trailing separator,
// as a standardized file URL's path. Symbolic links are left alone.
std::filesystem::path standardizedPath(const std::filesystem::path& path);

} // namespace quillstone
