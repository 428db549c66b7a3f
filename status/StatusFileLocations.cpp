#include "status/StatusFileLocations.h"

#include "platform/SupportFolder.h"

namespace quillstone::StatusFileLocations {

std::filesystem::path configurationFile(const UserDomain& domain) { return supportFolder(domain) / "configuration.json"; }

std::filesystem::path statusFolder(const std::optional<LocalConfiguration>& configuration, const UserDomain& domain) {
    if (configuration) {
        return std::filesystem::path(configuration->quillstoneFolderPath);
    }
    return domain.home / "Quillstone";
}

std::filesystem::path statusFile(const std::optional<LocalConfiguration>& configuration, const UserDomain& domain) {
    return statusFolder(configuration, domain) / "backup_status.json";
}

} // namespace quillstone::StatusFileLocations
