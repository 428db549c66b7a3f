#pragma once

#include "platform/SystemTools.h"
#include "platform/UserDomain.h"

#include <filesystem>

namespace quillstone {

// Every absolute location of the host system that Quillstone names, in one
// injectable value so tests can run against a temporary root.
struct SystemLayout {
    std::filesystem::path applicationsFolder;      // "/Applications"
    std::filesystem::path userApplicationsFolder;  // ~/Applications
    std::filesystem::path utilitiesFolder;         // "/Applications/Utilities"
    std::filesystem::path launchAgentsFolder;      // ~/Library/LaunchAgents
    std::filesystem::path trashFolder;             // ~/.Trash
    SystemTools tools;

    // The real layout for this user and the running bundle's tools.
    static SystemLayout current(const UserDomain& domain);
    // The same shape below a test root; tools as given.
    static SystemLayout rootedAt(const std::filesystem::path& root, const UserDomain& domain, SystemTools tools);
};

} // namespace quillstone
