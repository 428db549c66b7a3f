#include "platform/StandardizedPath.h"

namespace quillstone {

std::filesystem::path standardizedPath(const std::filesystem::path& path) {
    std::filesystem::path normal = path.lexically_normal();
    std::string text = normal.string();
    while (text.size() > 1 && text.back() == '/') {
        text.pop_back();
    }
    return text;
}

} // namespace quillstone
