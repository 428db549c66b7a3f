#pragma once

#include "platform/Bundle.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/model/QuillstoneIntegration.h"
#include "setup/service/QuillstoneUpgradeCandidate.h"
#include "setup/service/QuillstoneUpgradeProcedure.h"
#include "setup/wizard/QuillstoneAvailableUpdate.h"
#include "setup/wizard/QuillstoneFolderChoice.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

class AdministratorScript;
class BackgroundQueue;
class Clock;
class FileManager;
class HttpClient;
class MainQueue;
class QuillstoneInstalledComponentsStore;
class QuillstoneMonitorControl;
class QuillstoneShortcutBridge;
class Workspace;

// The setup wizard's state and actions. Lives on the main thread; every change
// is announced through the one change callback, after which the UI redraws.
class ContentView {
public:
    static constexpr int width = 940;
    static constexpr int height = 720;
    static constexpr const char* title = "Quillstone Setup";
    static constexpr const char* subtitle = "Connect SuperDuper! backups to Quillstone on iPhone or Android";

    static constexpr std::array<const char*, 5> stepTitles{"Welcome", "SuperDuper!", "Status folder", "Activate",
                                                           "Next steps"};

    // Step 0
    static constexpr const char* versionPrefix = "Version ";
    static constexpr const char* fallbackVersion = "2.2";
    static constexpr const char* fallbackBuild = "0";

    // Locations below the chosen parent folder
    static constexpr const char* quillstoneFolderName = "Quillstone";
    static constexpr const char* statusFileName = "backup_status.json";
    static constexpr const char* installedScriptName = "BackupMonitor.sh";

    // Classic installation
    static constexpr const char* installingMessage = "Installing BackupMonitor.sh\u2026";
    static constexpr const char* templateMissingMessage = "BackupMonitor.sh could not be found in the Setup Wizard.";
    static constexpr const char* installationFailedPrefix = "Installation failed: ";
    static constexpr const char* installationSucceededMessage =
        "BackupMonitor.sh and the Quillstone menu-bar app were installed successfully.";
    static constexpr const char* installButtonTitle = "Install Quillstone";
    static constexpr const char* installedButtonTitle = "Quillstone installed";
    static constexpr const char* classicSelectPrefix = "Select ";
    static constexpr const char* classicSelectSuffix = ".";

    // The existing-data alert of the Classic installation
    static constexpr const char* existingInstallationTitle = "Existing Quillstone data found";
    static constexpr const char* existingInstallationMessage =
        "backup_status.json and logs remain unchanged. The previous BackupMonitor.sh is saved as a dated backup.";
    static constexpr const char* existingInstallationConfirmTitle = "Update and retain data";
    static constexpr const char* cancelTitle = "Cancel";

    // SD4 activation and the Shortcut
    static constexpr const char* addShortcutMessage =
        "Add the Shortcut in the macOS window, then return to Quillstone Setup. The Activate Quillstone button will "
        "appear automatically.";
    static constexpr const char* addShortcutMarker = "Add the Shortcut";
    static constexpr const char* shortcutNowInstalledMessage =
        "The Apple Shortcut is installed. You can now activate Quillstone.";
    static constexpr const char* shortcutInstallerFailedPrefix = "Quillstone could not open the Shortcut installer: ";
    static constexpr const char* installShortcutFirstMessage = "Install the required Apple Shortcut first.";
    static constexpr const char* activationFailedPrefix = "Activation failed: ";
    static constexpr const char* activationSucceededMessage = "The Quillstone Monitor is active for this Mac user.";
    static constexpr const char* activateButtonTitle = "Activate Quillstone";
    static constexpr const char* activatedButtonTitle = "Quillstone activated";

    // Removal
    static constexpr const char* removeMonitorButtonTitle = "Remove Quillstone Monitor";
    static constexpr const char* removeMenuAppButtonTitle = "Remove Quillstone Menu App";
    static constexpr const char* removeMonitorAlertTitle = "Remove the Quillstone Monitor?";
    static constexpr const char* removeMenuAppAlertTitle = "Remove the Quillstone menu-bar app?";
    static constexpr const char* removeMonitorDestructiveTitle = "Remove monitor";
    static constexpr const char* removeMenuAppDestructiveTitle = "Remove menu app";
    static constexpr const char* removeMonitorAlertMessage =
        "The monitor, its local configuration and local Run-ID history are removed. backup_status.json and logs stay.";
    static constexpr const char* removeMenuAppAlertMessage =
        "This stops the Quillstone menu-bar app for this Mac user. BackupMonitor.sh, backup_status.json and logs are "
        "kept.";
    static constexpr const char* monitorRemovedMessage = "The local Quillstone Monitor was removed.";
    static constexpr const char* menuAppRemovedMessage = "The Quillstone menu-bar app was removed.";
    static constexpr const char* removalFailedPrefix = "Removal failed: ";

    // Top bar, step column and step 4
    static constexpr const char* stepPrefix = "Step ";
    static constexpr const char* stepSeparator = " of ";
    static constexpr const char* updateButtonPrefix = "Update ";
    static constexpr const char* updateButtonSuffix = " available";
    static constexpr const char* websiteURLKey = "QuillstoneWebsiteURL";
    static constexpr const char* updateManifestURLKey = "QuillstoneUpdateManifestURL";
    static constexpr const char* setupGuidePath = "/setup/";
    static constexpr const char* setupGuideLabelPath = "/setup";

    // Upgrade prompt
    static constexpr const char* upgradeTitle = "Upgrade Quillstone?";
    static constexpr const char* upgradeInstalledPrefix = "Quillstone ";
    static constexpr const char* upgradeBuildPrefix = " (Build ";
    static constexpr const char* upgradeInstalledSuffix = ") is currently installed.";
    static constexpr const char* upgradeQuestionPrefix = "Would you like to upgrade to Quillstone ";
    static constexpr const char* upgradeQuestionSuffix = ")?";
    static constexpr const char* upgradeKeepsClassicFiles =
        "Your existing BackupMonitor.sh, backup status and logs will be kept.";
    static constexpr const char* upgradeKeepsMonitorSettings =
        "Your Monitor settings, Shortcut, backup status and logs will be kept.";
    static constexpr const char* upgradeCancelTitle = "Cancel";
    static constexpr const char* upgradeNowTitle = "Upgrade Now";

    // Everything the wizard talks to, handed in. References must outlive the view.
    struct Collaborators {
        QuillstoneConfigurationStore& configurationStore;
        QuillstoneMonitorControl& monitor;
        QuillstoneShortcutBridge& shortcutBridge;
        FileManager& fileManager;
        AdministratorScript& administratorScript;
        Workspace& workspace;
        QuillstoneInstalledComponentsStore& installedComponentsStore;
        HttpClient& httpClient;
        MainQueue& mainQueue;
        BackgroundQueue& backgroundQueue;
        const Clock& clock;
        // The running application: version, resources, Info.plist addresses.
        Bundle bundle;
        // Where the running copy must be for an upgrade ("/Applications").
        std::filesystem::path applicationsFolder;
        std::function<std::optional<QuillstoneUpgradeCandidate>()> detectUpgradeCandidate;
        // Moves the old copy to the Trash; throws with a user-facing description.
        std::function<void(const std::filesystem::path&)> removeLegacyApplication;
        // The modal folder panel; nullopt when the user cancels.
        std::function<std::optional<std::filesystem::path>(const QuillstoneFolderChoice&)> chooseFolder;
        // The standard application termination.
        std::function<void()> terminate;
    };

    // Runs the start-up checks (agent, Shortcut, upgrade candidate) synchronously.
    explicit ContentView(Collaborators collaborators);
    ~ContentView();
    ContentView(const ContentView&) = delete;
    ContentView& operator=(const ContentView&) = delete;

    // Called after every change of state.
    void setOnChange(std::function<void()> onChange);

    // Fields
    int currentStep() const { return currentStep_; }
    const std::string& installationMessage() const { return installationMessage_; }
    bool installationSucceeded() const { return installationSucceeded_; }
    bool isInstalling() const { return isInstalling_; }
    bool isManagingMonitor() const { return isManagingMonitor_; }
    bool monitorIsInstalled() const { return monitorIsInstalled_; }
    const std::string& monitorActionMessage() const { return monitorActionMessage_; }
    bool showsExistingInstallationConfirmation() const { return showsExistingInstallationConfirmation_; }
    bool showsRemovalConfirmation() const { return showsRemovalConfirmation_; }
    bool showsWelcomeRemovalConfirmation() const { return showsWelcomeRemovalConfirmation_; }
    QuillstoneIntegration selectedIntegration() const { return selectedIntegration_; }
    const std::filesystem::path& installationParentURL() const { return installationParentURL_; }
    const std::string& activationMessage() const { return activationMessage_; }
    bool activationSucceeded() const { return activationSucceeded_; }
    bool shortcutIsInstalled() const { return shortcutIsInstalled_; }
    const std::optional<QuillstoneAvailableUpdate>& availableUpdate() const { return availableUpdate_; }
    const std::optional<QuillstoneUpgradeCandidate>& upgradeCandidate() const { return upgradeCandidate_; }
    bool isUpgradeInProgress() const { return isUpgradeInProgress_; }
    const std::string& upgradeErrorMessage() const { return upgradeErrorMessage_; }
    QuillstoneConfigurationStore& configurationStore() const { return with_.configurationStore; }
    static std::vector<std::string> steps();

    // Derived locations, from the current parent folder
    std::filesystem::path quillstoneFolderURL() const;
    std::filesystem::path statusFileURL() const;
    std::filesystem::path installedScriptURL() const;

    // Derived state and texts
    bool isWindowDisabled() const { return isInstalling_ || isManagingMonitor_; }
    int stepCount() const { return static_cast<int>(stepTitles.size()); }
    std::string stepText() const;            // "Step 1 of 5"
    std::string versionText() const;         // "Version 2.3"
    std::string currentVersion() const;      // CFBundleShortVersionString, else "2.2"
    std::int64_t currentBuild() const;       // CFBundleVersion read as a build number, else 0
    std::string updateButtonTitle() const;   // "Update 2.4 available"; empty without an offer
    std::string updateManifestURL() const;   // empty: no update check
    std::string setupGuideURL() const;       // website + "/setup/"; empty when it cannot be formed
    std::string setupGuideLabel() const;     // host + "/setup"; empty when it cannot be formed
    // What the Classic step 3 notice lists; inspects the Quillstone folder on every call.
    std::vector<std::string> existingItemLabels() const;
    std::string classicSelectScriptText() const; // "Select <installed script>."
    std::string installationButtonTitle() const;
    std::string activationButtonTitle() const;
    std::string removalButtonTitle() const;            // the last screen's button
    std::string removalAlertTitle() const;             // the last screen's alert
    std::string removalAlertDestructiveTitle() const;  // the last screen's alert
    std::string removalAlertMessage() const;           // both alerts
    static constexpr const char* welcomeRemovalAlertTitle = removeMonitorAlertTitle;
    static constexpr const char* welcomeRemovalDestructiveTitle = removeMonitorDestructiveTitle;
    std::string upgradeInstalledText() const; // empty without a candidate
    std::string upgradeQuestionText() const;
    std::string upgradeKeepsText() const;

    // Navigation
    bool canGoBack() const { return currentStep_ > 0; }
    bool isLastStep() const { return currentStep_ == stepCount() - 1; }
    bool canContinue() const;
    void goBack();
    void goForward();

    // Re-read when the application becomes active.
    void refreshMonitorState();
    void refreshShortcutState();

    void selectIntegration(QuillstoneIntegration integration);

    // Classic
    void chooseStatusFolder();
    void requestClassicInstallation();
    void confirmExistingInstallation();
    void dismissExistingInstallationConfirmation();
    void installClassicMonitor();

    // SD4
    void openShortcutInstaller();
    void activateSD4Monitor();

    // Removal: the buttons raise the alerts, the destructive button removes.
    void requestRemoval();
    void requestWelcomeRemoval();
    void dismissRemovalConfirmation();
    void dismissWelcomeRemovalConfirmation();
    void removeInstalledComponent();

    // Update check: once when the window is shown; the result arrives on the main queue.
    void checkForUpdate();
    void openAvailableUpdate();
    void openSetupGuide();

    // Upgrade prompt
    void performUpgrade();
    void cancelUpgrade();

    // "Finish" on the last step.
    void finish();

private:
    void changed();
    void updateMonitorState();
    void loadUpgradeState();
    void storeUpgradeState();
    void applyUpdateResponse(bool transferred, int statusCode, const std::string& body);
    bool agentIsPresent();

    Collaborators with_;
    std::function<void()> onChange_;
    // Async results check it before touching a view that may be gone.
    std::shared_ptr<bool> alive_;

    int currentStep_ = 0;
    std::string installationMessage_;
    bool installationSucceeded_ = false;
    bool isInstalling_ = false;
    bool isManagingMonitor_ = false;
    bool monitorIsInstalled_ = false;
    std::string monitorActionMessage_;
    bool showsExistingInstallationConfirmation_ = false;
    bool showsRemovalConfirmation_ = false;
    bool showsWelcomeRemovalConfirmation_ = false;
    QuillstoneIntegration selectedIntegration_ = QuillstoneIntegration::sd4;
    std::filesystem::path installationParentURL_;
    std::string activationMessage_;
    bool activationSucceeded_ = false;
    bool shortcutIsInstalled_ = false;
    std::optional<QuillstoneAvailableUpdate> availableUpdate_;
    std::optional<QuillstoneUpgradeCandidate> upgradeCandidate_;
    bool isUpgradeInProgress_ = false;
    std::string upgradeErrorMessage_;

    // The upgrade procedure works on this copy of the four fields it touches.
    QuillstoneUpgradeState upgradeState_;
    std::shared_ptr<QuillstoneUpgradeProcedure> upgradeProcedure_;
};

} // namespace quillstone
