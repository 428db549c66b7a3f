#include "platform/SupportFolder.h"

namespace quillstone {

std::filesystem::path supportFolder(const UserDomain& domain) {
    const std::filesystem::path& base =
        domain.applicationSupportDirectories.empty() ? domain.home : domain.applicationSupportDirectories.front();
    return base / "Quillstone";
}

} // namespace quillstone
