#include "support/WizardFakes.h"

#include <gmock/gmock.h>

using namespace quillstone;
using namespace quillstone::testing;
using ::testing::ElementsAre;
namespace fs = std::filesystem;

namespace {

using Integration = QuillstoneIntegration;

class ContentViewStart : public WizardStateTest {};

TEST_F(ContentViewStart, NothingInstalledOpensOnWelcomeWithTheDefaults) {
    auto& view = start();
    EXPECT_EQ(view.currentStep(), 0);
    EXPECT_EQ(view.selectedIntegration(), Integration::sd4);
    EXPECT_EQ(view.statusFileURL(), home / "Quillstone/backup_status.json");
    EXPECT_EQ(view.installedScriptURL(), home / "Quillstone/BackupMonitor.sh");
    EXPECT_FALSE(view.monitorIsInstalled()); // no removal box
    EXPECT_FALSE(view.activationSucceeded());
    EXPECT_FALSE(view.shortcutIsInstalled());
    EXPECT_FALSE(view.upgradeCandidate());
    EXPECT_FALSE(view.isWindowDisabled());
    EXPECT_EQ(view.versionText(), "Version 2.3");
    EXPECT_EQ(view.setupGuideURL(), "https://quillstone.example/setup/");
    EXPECT_EQ(view.setupGuideLabel(), "quillstone.example/setup");
    EXPECT_THAT(ContentView::steps(), ElementsAre("Welcome", "SuperDuper!", "Status folder", "Activate", "Next steps"));
}

TEST_F(ContentViewStart, AgentStateDecidesTheIntegrationOverTheStoredOne) {
    struct Case {
        bool plistExists, loaded;
        Integration stored;
        Integration selected;
        bool installed, activated;
    };
    for (const Case& c : {Case{false, false, Integration::classic, Integration::classic, false, false},
                          Case{true, false, Integration::classic, Integration::sd4, true, false},
                          Case{false, true, Integration::classic, Integration::sd4, true, false},
                          Case{true, true, Integration::sd4, Integration::sd4, true, true}}) {
        storeConfiguration(c.stored, root / "Drive/Quillstone");
        monitor.plistExists = c.plistExists;
        monitor.loaded = c.loaded;
        auto& view = start();
        SCOPED_TRACE(std::to_string(c.plistExists) + std::to_string(c.loaded));
        EXPECT_EQ(view.selectedIntegration(), c.selected);
        EXPECT_EQ(view.monitorIsInstalled(), c.installed);
        EXPECT_EQ(view.activationSucceeded(), c.activated);
        EXPECT_EQ(view.installationParentURL(), root / "Drive");
    }
}

TEST_F(ContentViewStart, ShortcutCandidateAndVersionFallbackAreReadOnce) {
    shortcut.answers = {true};
    candidate = QuillstoneUpgradeCandidate{"2.2", "12", "/Applications/Quillstone Setup.app", "2.3", "40", true};
    writeBundle(std::nullopt, std::nullopt);
    auto& view = start();
    EXPECT_TRUE(view.shortcutIsInstalled());
    EXPECT_EQ(shortcut.checks, 1);
    EXPECT_EQ(view.upgradeCandidate(), candidate);
    EXPECT_EQ(view.upgradeInstalledText(), "Quillstone 2.2 (Build 12) is currently installed.");
    EXPECT_EQ(view.upgradeQuestionText(), "Would you like to upgrade to Quillstone 2.3 (Build 40)?");
    EXPECT_EQ(view.upgradeKeepsText(), "Your existing BackupMonitor.sh, backup status and logs will be kept.");
    EXPECT_EQ(view.versionText(), "Version 2.2");
    EXPECT_EQ(view.currentBuild(), 0);
}

class ContentViewNavigation : public WizardStateTest {};

TEST_F(ContentViewNavigation, StepsCountUpAndTheLastStepHasNoContinue) {
    monitor.plistExists = monitor.loaded = true;
    storeConfiguration(Integration::sd4, home / "Quillstone");
    auto& view = start();
    EXPECT_FALSE(view.canGoBack());
    std::vector<std::string> texts{view.stepText()};
    while (view.canContinue()) {
        view.goForward();
        texts.push_back(view.stepText());
    }
    EXPECT_THAT(texts, ElementsAre("Step 1 of 5", "Step 2 of 5", "Step 3 of 5", "Step 4 of 5", "Step 5 of 5"));
    EXPECT_TRUE(view.isLastStep());
    view.goForward();
    EXPECT_EQ(view.currentStep(), 4);
    view.goBack();
    EXPECT_EQ(view.currentStep(), 3);
    view.finish();
    EXPECT_EQ(terminations, 1);
}

TEST_F(ContentViewNavigation, ContinueOnActivateWaitsForTheSelectedIntegration) {
    auto& view = start();
    walkTo(3);
    EXPECT_FALSE(view.canContinue());
    view.goForward();
    EXPECT_EQ(view.currentStep(), 3);

    fs::remove(bundle / "Contents/Resources/BackupMonitor.sh");
    view.selectIntegration(Integration::classic);
    view.requestClassicInstallation();
    EXPECT_FALSE(view.canContinue()); // after a failure

    writeText(bundle / "Contents/Resources/BackupMonitor.sh", scriptTemplate);
    view.requestClassicInstallation();
    EXPECT_TRUE(view.canContinue());

    view.selectIntegration(Integration::classic); // the card already selected
    EXPECT_FALSE(view.canContinue());
}

TEST_F(ContentViewNavigation, ChoosingACardClearsBothResults) {
    shortcut.answers = {true};
    auto& view = start();
    view.activateSD4Monitor();
    view.selectIntegration(Integration::classic);
    view.installClassicMonitor();
    ASSERT_TRUE(view.installationSucceeded());
    ASSERT_FALSE(view.installationMessage().empty());
    view.selectIntegration(Integration::sd4);
    EXPECT_TRUE(view.installationMessage().empty());
    EXPECT_TRUE(view.activationMessage().empty());
    EXPECT_FALSE(view.installationSucceeded());
    EXPECT_FALSE(view.activationSucceeded());
}

class ContentViewRefresh : public WizardStateTest {};

TEST_F(ContentViewRefresh, ReturningAfterAddingTheShortcutSwapsTheMessageOnlyForAnInactiveSD4) {
    auto& view = start();
    view.openShortcutInstaller();
    EXPECT_EQ(view.activationMessage(), ContentView::addShortcutMessage);
    shortcut.answers = {true};
    view.refreshMonitorState();
    view.refreshShortcutState();
    EXPECT_TRUE(view.shortcutIsInstalled());
    EXPECT_EQ(view.activationMessage(), "The Apple Shortcut is installed. You can now activate Quillstone.");

    view.selectIntegration(Integration::classic);
    const int checks = shortcut.checks;
    view.refreshShortcutState();
    EXPECT_EQ(shortcut.checks, checks); // not asked for Classic

    view.selectIntegration(Integration::sd4);
    view.activateSD4Monitor();
    view.refreshShortcutState();
    EXPECT_EQ(shortcut.checks, checks); // nor once activated
    EXPECT_EQ(view.activationMessage(), ContentView::activationSucceededMessage);
}

TEST_F(ContentViewRefresh, MonitorStateFollowsTheAgent) {
    auto& view = start();
    view.selectIntegration(Integration::classic);
    monitor.plistExists = monitor.loaded = true;
    view.refreshMonitorState();
    EXPECT_TRUE(view.monitorIsInstalled());
    EXPECT_EQ(view.selectedIntegration(), Integration::sd4);
    EXPECT_TRUE(view.activationSucceeded());

    monitor.plistExists = monitor.loaded = false;
    view.refreshMonitorState();
    EXPECT_FALSE(view.monitorIsInstalled());
    EXPECT_FALSE(view.activationSucceeded());
    EXPECT_GT(changes, 0);
}

} // namespace
