#include "setup/wizard/ContentView.h"

#include "platform/BackgroundQueue.h"
#include "platform/HttpClient.h"
#include "platform/MainQueue.h"
#include "platform/ReleaseVersion.h"
#include "platform/Workspace.h"
#include "setup/model/QuillstoneStatusDocument.h"
#include "setup/service/QuillstoneInstalledComponentsStore.h"
#include "setup/service/StatusFolderContents.h"
#include "setup/wizard/QuillstoneClassicInstaller.h"
#include "setup/wizard/QuillstoneMonitorControl.h"
#include "setup/wizard/QuillstoneShortcutBridge.h"
#include "setup/wizard/QuillstoneUpdateManifest.h"

#include <QUrl>

#include <exception>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

// The configured folder taken as a directory, its last component removed.
fs::path parentFolder(const std::string& folderPath) {
    std::string path = folderPath;
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    fs::path folder(path);
    return folder.has_relative_path() ? folder.parent_path() : folder;
}

// The web site's address with "/setup/" as its path; nullopt when there is no usable address.
std::optional<QUrl> setupGuide(const std::optional<std::string>& website) {
    if (!website || website->empty()) {
        return std::nullopt;
    }
    QUrl url(QString::fromStdString(*website), QUrl::StrictMode);
    if (!url.isValid() || url.isRelative() || url.host().isEmpty()) {
        return std::nullopt;
    }
    url.setPath(QString::fromUtf8(ContentView::setupGuidePath));
    url.setQuery(QString());
    url.setFragment(QString());
    return url;
}

} // namespace

ContentView::ContentView(Collaborators collaborators)
    : with_(std::move(collaborators)), alive_(std::make_shared<bool>(true)) {
    const QuillstoneConfiguration configuration = with_.configurationStore.loadOrDefault();
    const bool loaded = with_.monitor.isMonitorLoaded();
    activationSucceeded_ = configuration.integration == QuillstoneIntegration::sd4 && loaded;
    if (with_.monitor.agentPropertyListExists()) {
        monitorIsInstalled_ = true;
        selectedIntegration_ = QuillstoneIntegration::sd4;
    } else {
        monitorIsInstalled_ = with_.monitor.isMonitorLoaded();
        selectedIntegration_ = monitorIsInstalled_ ? QuillstoneIntegration::sd4 : configuration.integration;
    }
    shortcutIsInstalled_ = with_.shortcutBridge.isShortcutInstalled();
    installationParentURL_ = parentFolder(configuration.quillstoneFolderPath);
    if (with_.detectUpgradeCandidate) {
        upgradeCandidate_ = with_.detectUpgradeCandidate();
    }
}

ContentView::~ContentView() = default;

void ContentView::setOnChange(std::function<void()> onChange) { onChange_ = std::move(onChange); }

void ContentView::changed() {
    if (onChange_) {
        onChange_();
    }
}

std::vector<std::string> ContentView::steps() { return {stepTitles.begin(), stepTitles.end()}; }

fs::path ContentView::quillstoneFolderURL() const { return installationParentURL_ / quillstoneFolderName; }
fs::path ContentView::statusFileURL() const { return quillstoneFolderURL() / statusFileName; }
fs::path ContentView::installedScriptURL() const { return quillstoneFolderURL() / installedScriptName; }

std::string ContentView::stepText() const {
    return stepPrefix + std::to_string(currentStep_ + 1) + stepSeparator + std::to_string(stepCount());
}

std::string ContentView::currentVersion() const {
    return with_.bundle.shortVersion().value_or(fallbackVersion);
}

std::int64_t ContentView::currentBuild() const {
    return ReleaseVersion::parseBuildNumber(with_.bundle.bundleVersion().value_or(fallbackBuild));
}

std::string ContentView::versionText() const { return versionPrefix + currentVersion(); }

std::string ContentView::updateButtonTitle() const {
    return availableUpdate_ ? updateButtonPrefix + availableUpdate_->version + updateButtonSuffix : std::string();
}

std::string ContentView::updateManifestURL() const {
    return with_.bundle.infoString(updateManifestURLKey).value_or("");
}

std::string ContentView::setupGuideURL() const {
    auto url = setupGuide(with_.bundle.infoString(websiteURLKey));
    return url ? url->toString(QUrl::FullyEncoded).toStdString() : std::string();
}

std::string ContentView::setupGuideLabel() const {
    auto url = setupGuide(with_.bundle.infoString(websiteURLKey));
    return url ? url->host().toStdString() + setupGuideLabelPath : std::string();
}

std::vector<std::string> ContentView::existingItemLabels() const {
    return quillstone::existingItemLabels(inspectStatusFolder(quillstoneFolderURL(), with_.fileManager));
}

std::string ContentView::classicSelectScriptText() const {
    return classicSelectPrefix + installedScriptURL().string() + classicSelectSuffix;
}

std::string ContentView::installationButtonTitle() const {
    return installationSucceeded_ ? installedButtonTitle : installButtonTitle;
}

std::string ContentView::activationButtonTitle() const {
    return activationSucceeded_ ? activatedButtonTitle : activateButtonTitle;
}

std::string ContentView::removalButtonTitle() const {
    return selectedIntegration_ == QuillstoneIntegration::sd4 ? removeMonitorButtonTitle : removeMenuAppButtonTitle;
}

std::string ContentView::removalAlertTitle() const {
    return selectedIntegration_ == QuillstoneIntegration::sd4 ? removeMonitorAlertTitle : removeMenuAppAlertTitle;
}

std::string ContentView::removalAlertDestructiveTitle() const {
    return selectedIntegration_ == QuillstoneIntegration::sd4 ? removeMonitorDestructiveTitle
                                                              : removeMenuAppDestructiveTitle;
}

std::string ContentView::removalAlertMessage() const {
    return selectedIntegration_ == QuillstoneIntegration::sd4 ? removeMonitorAlertMessage : removeMenuAppAlertMessage;
}

std::string ContentView::upgradeInstalledText() const {
    if (!upgradeCandidate_) {
        return {};
    }
    return upgradeInstalledPrefix + upgradeCandidate_->installedVersion + upgradeBuildPrefix +
           upgradeCandidate_->installedBuild + upgradeInstalledSuffix;
}

std::string ContentView::upgradeQuestionText() const {
    if (!upgradeCandidate_) {
        return {};
    }
    return upgradeQuestionPrefix + upgradeCandidate_->currentVersion + upgradeBuildPrefix +
           upgradeCandidate_->currentBuild + upgradeQuestionSuffix;
}

std::string ContentView::upgradeKeepsText() const {
    if (!upgradeCandidate_) {
        return {};
    }
    return upgradeCandidate_->preservesLegacyClassicFiles ? upgradeKeepsClassicFiles : upgradeKeepsMonitorSettings;
}

// Navigation

bool ContentView::canContinue() const {
    if (isLastStep()) {
        return false;
    }
    if (currentStep_ != 3) {
        return true;
    }
    return selectedIntegration_ == QuillstoneIntegration::classic ? installationSucceeded_ : activationSucceeded_;
}

void ContentView::goBack() {
    if (!canGoBack()) {
        return;
    }
    --currentStep_;
    changed();
}

void ContentView::goForward() {
    if (!canContinue()) {
        return;
    }
    ++currentStep_;
    changed();
}

// Refreshes

bool ContentView::agentIsPresent() { return with_.monitor.agentPropertyListExists() || with_.monitor.isMonitorLoaded(); }

void ContentView::updateMonitorState() {
    const bool installed = agentIsPresent();
    monitorIsInstalled_ = installed;
    if (installed) {
        selectedIntegration_ = QuillstoneIntegration::sd4;
        activationSucceeded_ = with_.monitor.isMonitorLoaded();
    } else if (selectedIntegration_ == QuillstoneIntegration::sd4) {
        activationSucceeded_ = false;
    }
}

void ContentView::refreshMonitorState() {
    // A running action settles this state itself; a refresh while its commands
    // pump events (the application turning active meanwhile) would only race it.
    if (isWindowDisabled()) {
        return;
    }
    updateMonitorState();
    changed();
}

void ContentView::refreshShortcutState() {
    if (isWindowDisabled() || selectedIntegration_ != QuillstoneIntegration::sd4 || activationSucceeded_) {
        return;
    }
    shortcutIsInstalled_ = with_.shortcutBridge.isShortcutInstalled();
    if (shortcutIsInstalled_ && activationMessage_.find(addShortcutMarker) != std::string::npos) {
        activationMessage_ = shortcutNowInstalledMessage;
    }
    changed();
}

void ContentView::selectIntegration(QuillstoneIntegration integration) {
    selectedIntegration_ = integration;
    installationSucceeded_ = false;
    activationSucceeded_ = false;
    installationMessage_.clear();
    activationMessage_.clear();
    changed();
}

// Classic

void ContentView::chooseStatusFolder() {
    if (!with_.chooseFolder) {
        return;
    }
    QuillstoneFolderChoice choice;
    choice.startingFolder = installationParentURL_;
    auto chosen = with_.chooseFolder(choice);
    if (!chosen) {
        return;
    }
    installationParentURL_ = *chosen;
    installationSucceeded_ = false;
    installationMessage_.clear();
    changed();
}

void ContentView::requestClassicInstallation() {
    const StatusFolderContents contents = inspectStatusFolder(quillstoneFolderURL(), with_.fileManager);
    if (contents.hasMonitorScript || contents.hasStatusFile || contents.hasLogs || contents.hasOtherFiles) {
        showsExistingInstallationConfirmation_ = true;
        changed();
        return;
    }
    installClassicMonitor();
}

void ContentView::confirmExistingInstallation() {
    showsExistingInstallationConfirmation_ = false;
    installClassicMonitor();
}

void ContentView::dismissExistingInstallationConfirmation() {
    showsExistingInstallationConfirmation_ = false;
    changed();
}

void ContentView::installClassicMonitor() {
    if (isInstalling_) {
        return;
    }
    isInstalling_ = true;
    installationSucceeded_ = false;
    installationMessage_ = installingMessage;
    changed();

    QuillstoneClassicInstaller installer({with_.fileManager, with_.administratorScript, with_.clock,
                                          with_.configurationStore, with_.monitor, with_.bundle});
    auto scriptTemplate = installer.templateURL();
    if (!scriptTemplate) {
        installationMessage_ = templateMissingMessage;
        isInstalling_ = false;
        changed();
        return;
    }
    try {
        installer.install(*scriptTemplate, quillstoneFolderURL(), selectedIntegration_);
        installationSucceeded_ = true;
        installationMessage_ = installationSucceededMessage;
    } catch (const std::exception& error) {
        installationSucceeded_ = false;
        installationMessage_ = installationFailedPrefix + std::string(error.what());
    }
    isInstalling_ = false;
    changed();
}

// SD4

void ContentView::openShortcutInstaller() {
    try {
        with_.shortcutBridge.openShortcutInstaller();
        activationMessage_ = addShortcutMessage;
    } catch (const std::exception& error) {
        activationMessage_ = shortcutInstallerFailedPrefix + std::string(error.what());
    }
    changed();
}

void ContentView::activateSD4Monitor() {
    if (isManagingMonitor_) {
        return;
    }
    isManagingMonitor_ = true;
    changed();

    if (!shortcutIsInstalled_ && !with_.shortcutBridge.isShortcutInstalled()) {
        activationSucceeded_ = false;
        shortcutIsInstalled_ = false;
        activationMessage_ = installShortcutFirstMessage;
        isManagingMonitor_ = false;
        changed();
        return;
    }
    try {
        const fs::path folder = quillstoneFolderURL();
        with_.fileManager.createDirectories(folder);
        QuillstoneStatusDocument::createEmptyIfMissing(with_.fileManager, statusFileURL());
        with_.configurationStore.save(QuillstoneConfiguration{1, selectedIntegration_, folder.string()});
        with_.monitor.installMonitorAgent();
        activationSucceeded_ = true;
        monitorIsInstalled_ = true;
        activationMessage_ = activationSucceededMessage;
    } catch (const std::exception& error) {
        activationSucceeded_ = false;
        monitorIsInstalled_ = agentIsPresent();
        monitorActionMessage_.clear();
        activationMessage_ = activationFailedPrefix + std::string(error.what());
    }
    isManagingMonitor_ = false;
    changed();
}

// Removal

void ContentView::requestRemoval() {
    showsRemovalConfirmation_ = true;
    changed();
}

void ContentView::requestWelcomeRemoval() {
    showsWelcomeRemovalConfirmation_ = true;
    changed();
}

void ContentView::dismissRemovalConfirmation() {
    showsRemovalConfirmation_ = false;
    changed();
}

void ContentView::dismissWelcomeRemovalConfirmation() {
    showsWelcomeRemovalConfirmation_ = false;
    changed();
}

void ContentView::removeInstalledComponent() {
    if (isManagingMonitor_) {
        return;
    }
    // The destructive button closes whichever alert asked.
    showsRemovalConfirmation_ = false;
    showsWelcomeRemovalConfirmation_ = false;
    isManagingMonitor_ = true;
    changed();

    const bool sd4 = selectedIntegration_ == QuillstoneIntegration::sd4;
    try {
        if (sd4) {
            with_.monitor.removeSD4Monitor();
        } else {
            try {
                with_.monitor.removeLegacyStatusHostAgent();
            } catch (const std::exception&) {
                // An old agent that will not go away does no harm.
            }
            with_.monitor.unregisterStatusHost();
            with_.installedComponentsStore.remove();
        }
    } catch (const std::exception& error) {
        activationMessage_ = removalFailedPrefix + std::string(error.what());
        monitorActionMessage_ = activationMessage_;
        isManagingMonitor_ = false;
        changed();
        return;
    }
    activationSucceeded_ = false;
    activationMessage_ = sd4 ? monitorRemovedMessage : menuAppRemovedMessage;
    changed();
    if (with_.terminate) {
        with_.terminate();
    }
    isManagingMonitor_ = false;
    changed();
}

// Update check

void ContentView::checkForUpdate() {
    const std::string address = updateManifestURL();
    if (address.empty()) {
        return;
    }
    std::weak_ptr<bool> alive = alive_;
    HttpClient& http = with_.httpClient;
    MainQueue& main = with_.mainQueue;
    with_.backgroundQueue.run([this, alive, address, &http, &main] {
        HttpResponse response;
        try {
            response = http.get(address);
        } catch (const std::exception&) {
            response = HttpResponse{};
        }
        main.post([this, alive, response] {
            if (alive.lock()) {
                applyUpdateResponse(response.transferred, response.statusCode, response.body);
            }
        });
    });
}

void ContentView::applyUpdateResponse(bool transferred, int statusCode, const std::string& body) {
    if (!transferred) {
        return;
    }
    if (statusCode < 200 || statusCode > 299) {
        availableUpdate_.reset();
        changed();
        return;
    }
    auto manifest = QuillstoneUpdateManifest::decode(body);
    if (!manifest) {
        return;
    }
    if (ReleaseVersion::isNewerVersion(manifest->version, manifest->build, currentVersion(), currentBuild())) {
        availableUpdate_ = QuillstoneAvailableUpdate::from(*manifest);
    } else {
        availableUpdate_.reset();
    }
    changed();
}

void ContentView::openAvailableUpdate() {
    if (availableUpdate_) {
        with_.workspace.open(availableUpdate_->downloadURL);
    }
}

void ContentView::openSetupGuide() {
    const std::string address = setupGuideURL();
    if (!address.empty()) {
        with_.workspace.open(address);
    }
}

// Upgrade

void ContentView::loadUpgradeState() {
    upgradeState_.isUpgradeInProgress = isUpgradeInProgress_;
    upgradeState_.upgradeErrorMessage = upgradeErrorMessage_;
    upgradeState_.upgradeCandidate = upgradeCandidate_;
    upgradeState_.monitorActionMessage = monitorActionMessage_;
}

void ContentView::storeUpgradeState() {
    isUpgradeInProgress_ = upgradeState_.isUpgradeInProgress;
    upgradeErrorMessage_ = upgradeState_.upgradeErrorMessage;
    upgradeCandidate_ = upgradeState_.upgradeCandidate;
    monitorActionMessage_ = upgradeState_.monitorActionMessage;
}

void ContentView::performUpgrade() {
    if (!upgradeCandidate_) {
        return;
    }
    if (!upgradeProcedure_) {
        std::weak_ptr<bool> alive = alive_;
        QuillstoneUpgradeProcedure::Actions actions{
            [this] { with_.monitor.upgradeMonitorService(); },
            with_.removeLegacyApplication,
            [this] { updateMonitorState(); },
            [this, alive](std::function<void()> work) {
                with_.mainQueue.post([this, alive, work = std::move(work)] {
                    if (!alive.lock()) {
                        return;
                    }
                    loadUpgradeState();
                    work();
                    storeUpgradeState();
                    changed();
                });
            }};
        upgradeProcedure_ = QuillstoneUpgradeProcedure::make(upgradeState_, with_.bundle.path(),
                                                             with_.applicationsFolder, std::move(actions));
    }
    loadUpgradeState();
    upgradeProcedure_->performUpgrade(*upgradeCandidate_);
    storeUpgradeState();
    changed();
}

void ContentView::cancelUpgrade() {
    if (with_.terminate) {
        with_.terminate();
    }
}

void ContentView::finish() {
    if (with_.terminate) {
        with_.terminate();
    }
}

} // namespace quillstone
