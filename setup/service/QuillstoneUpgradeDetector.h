#pragma once

#include "platform/Bundle.h"
#include "platform/FileManager.h"
#include "platform/RunningApplications.h"
#include "platform/SystemLayout.h"
#include "platform/Workspace.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/QuillstoneUpgradeCandidate.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// Finds older copies of the setup application that the running one should replace.
// Reading errors never surface here; they only shrink the list of candidates.
class QuillstoneUpgradeDetector {
public:
    static constexpr const char* setupBundleIdentifier = "com.quillstone.Quillstone-Setup";
    static constexpr const char* statusBundleIdentifier = "com.quillstone.Quillstone-Setup.Status";
    static constexpr const char* agentPropertyListName = "com.quillstone.monitor.plist";
    static constexpr const char* unknownVersion = "0";

    QuillstoneUpgradeDetector(FileManager& fileManager, SystemLayout layout, RunningApplications& runningApplications,
                              const Workspace& workspace, const QuillstoneConfigurationStore& configurationStore);

    // The agent's application, the running status app's container, the workspace's
    // copies, then every application in the applications folder; first occurrence wins.
    std::vector<std::filesystem::path> findInstalledSetupApplications() const;
    // The first older copy directly in the applications folder, compared with the given bundle.
    std::optional<QuillstoneUpgradeCandidate> detectUpgradeCandidate(const Bundle& bundle) const;

private:
    std::optional<std::filesystem::path> agentApplication() const;
    std::vector<std::filesystem::path> applicationsFolderEntries() const;
    bool qualifies(const std::filesystem::path& entry, const std::filesystem::path& current) const;

    FileManager& fileManager_;
    SystemLayout layout_;
    RunningApplications& runningApplications_;
    const Workspace& workspace_;
    const QuillstoneConfigurationStore& configurationStore_;
};

} // namespace quillstone
