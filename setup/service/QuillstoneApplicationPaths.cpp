#include "setup/service/QuillstoneApplicationPaths.h"

#include "platform/StandardizedPath.h"

#include <algorithm>
#include <cctype>
#include <string>

namespace quillstone {

namespace fs = std::filesystem;

fs::path QuillstoneApplicationPaths::standardized(const fs::path& path) { return standardizedPath(path); }

bool QuillstoneApplicationPaths::hasApplicationExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char character) { return static_cast<char>(std::tolower(character)); });
    return extension == ".app";
}

std::optional<fs::path> QuillstoneApplicationPaths::outermostApplicationBundle(const fs::path& path) {
    std::optional<fs::path> outermost;
    for (fs::path current = standardized(path); current != current.root_path() && !current.empty();
         current = current.parent_path()) {
        if (hasApplicationExtension(current)) {
            outermost = current;
        }
    }
    return outermost;
}

} // namespace quillstone
