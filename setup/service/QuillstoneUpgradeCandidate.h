#pragma once

#include <filesystem>
#include <string>

namespace quillstone {

// An older copy of the setup application that the running one should replace.
struct QuillstoneUpgradeCandidate {
    std::string installedVersion;
    std::string installedBuild;
    std::filesystem::path installedBundleURL;
    std::string currentVersion;
    std::string currentBuild;
    // No valid configuration.json: the old installation's Classic files are kept as they are.
    bool preservesLegacyClassicFiles = false;

    bool operator==(const QuillstoneUpgradeCandidate&) const = default;
};

} // namespace quillstone
