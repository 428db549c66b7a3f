#include "setup/service/QuillstoneUpgradeProcedure.h"

#include "setup/service/QuillstoneApplicationPaths.h"
#include "setup/service/QuillstoneUpgradeError.h"

#include <exception>

namespace quillstone {

namespace fs = std::filesystem;

std::shared_ptr<QuillstoneUpgradeProcedure> QuillstoneUpgradeProcedure::make(QuillstoneUpgradeState& state,
                                                                             fs::path runningBundle,
                                                                             fs::path applicationsFolder,
                                                                             Actions actions) {
    return std::shared_ptr<QuillstoneUpgradeProcedure>(
        new QuillstoneUpgradeProcedure(state, std::move(runningBundle), std::move(applicationsFolder), std::move(actions)));
}

QuillstoneUpgradeProcedure::QuillstoneUpgradeProcedure(QuillstoneUpgradeState& state, fs::path runningBundle,
                                                       fs::path applicationsFolder, Actions actions)
    : state_(state),
      runningBundle_(std::move(runningBundle)),
      applicationsFolder_(std::move(applicationsFolder)),
      actions_(std::move(actions)) {}

void QuillstoneUpgradeProcedure::performUpgrade(const QuillstoneUpgradeCandidate& candidate) {
    if (state_.isUpgradeInProgress) {
        return;
    }
    state_.upgradeErrorMessage.clear();
    const fs::path required = QuillstoneApplicationPaths::standardized(applicationsFolder_ / requiredApplicationName);
    if (QuillstoneApplicationPaths::standardized(runningBundle_) != required) {
        state_.upgradeErrorMessage = QuillstoneUpgradeError::currentApplicationIsNotInstalledDescription;
        return;
    }
    state_.isUpgradeInProgress = true;
    std::weak_ptr<QuillstoneUpgradeProcedure> weak = weak_from_this();
    actions_.startTask([weak, candidate] {
        if (auto self = weak.lock()) {
            self->finish(candidate);
        }
    });
}

void QuillstoneUpgradeProcedure::finish(const QuillstoneUpgradeCandidate& candidate) {
    // Cleared on every way out, so the prompt can always be confirmed again.
    struct InProgress {
        bool& flag;
        ~InProgress() { flag = false; }
    } inProgress{state_.isUpgradeInProgress};

    try {
        actions_.upgradeMonitorService();
    } catch (const std::exception& error) {
        state_.upgradeErrorMessage = error.what();
        return;
    }
    try {
        actions_.removeLegacyApplication(candidate.installedBundleURL);
    } catch (const std::exception& error) {
        // The monitor already runs from the new copy; only the old one is left.
        state_.upgradeErrorMessage = error.what();
        return;
    }
    state_.upgradeCandidate.reset();
    actions_.refreshMonitorState();
    state_.monitorActionMessage = std::string(upgradedMessagePrefix) + candidate.currentVersion + upgradedMessageBuild +
                                  candidate.currentBuild + upgradedMessageSuffix;
}

} // namespace quillstone
