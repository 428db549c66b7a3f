#include "platform/SystemLayout.h"

namespace quillstone {

SystemLayout SystemLayout::current(const UserDomain& domain) {
    return SystemLayout{"/Applications",
                        domain.home / "Applications",
                        "/Applications/Utilities",
                        domain.home / "Library" / "LaunchAgents",
                        domain.home / ".Trash",
                        SystemTools::current()};
}

SystemLayout SystemLayout::rootedAt(const std::filesystem::path& root, const UserDomain& domain, SystemTools tools) {
    return SystemLayout{root / "Applications",
                        domain.home / "Applications",
                        root / "Applications" / "Utilities",
                        domain.home / "Library" / "LaunchAgents",
                        domain.home / ".Trash",
                        std::move(tools)};
}

} // namespace quillstone
