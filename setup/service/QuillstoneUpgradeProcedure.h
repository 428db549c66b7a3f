#pragma once

#include "setup/service/QuillstoneUpgradeCandidate.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace quillstone {

// The wizard's fields that an upgrade reads and writes.
struct QuillstoneUpgradeState {
    bool isUpgradeInProgress = false;
    std::string upgradeErrorMessage;
    std::optional<QuillstoneUpgradeCandidate> upgradeCandidate;
    std::string monitorActionMessage;
};

// Re-points the monitor at the running application, then moves the old copy
// to the Trash. Runs on the main thread; the slow part runs as a later task.
class QuillstoneUpgradeProcedure : public std::enable_shared_from_this<QuillstoneUpgradeProcedure> {
public:
    static constexpr const char* requiredApplicationName = "Quillstone.app";
    static constexpr const char* upgradedMessagePrefix = "Quillstone was upgraded to version ";
    static constexpr const char* upgradedMessageBuild = " (Build ";
    static constexpr const char* upgradedMessageSuffix = ").";

    struct Actions {
        // The service's forced monitor upgrade; throws with the user-facing description.
        std::function<void()> upgradeMonitorService;
        // Throws QuillstoneUpgradeError or a platform error.
        std::function<void(const std::filesystem::path&)> removeLegacyApplication;
        std::function<void()> refreshMonitorState;
        // Runs the work later on the main thread.
        std::function<void(std::function<void()>)> startTask;
    };

    static std::shared_ptr<QuillstoneUpgradeProcedure> make(QuillstoneUpgradeState& state,
                                                            std::filesystem::path runningBundle,
                                                            std::filesystem::path applicationsFolder, Actions actions);

    void performUpgrade(const QuillstoneUpgradeCandidate& candidate);

private:
    QuillstoneUpgradeProcedure(QuillstoneUpgradeState& state, std::filesystem::path runningBundle,
                               std::filesystem::path applicationsFolder, Actions actions);
    void finish(const QuillstoneUpgradeCandidate& candidate);

    QuillstoneUpgradeState& state_;
    std::filesystem::path runningBundle_;
    std::filesystem::path applicationsFolder_;
    Actions actions_;
};

} // namespace quillstone
