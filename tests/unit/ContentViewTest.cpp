#include "support/WizardFakes.h"

#include <gmock/gmock.h>

using namespace quillstone;
using namespace quillstone::testing;
using ::testing::ElementsAre;

namespace {

using Integration = QuillstoneIntegration;

class ContentViewStart : public WizardStateTest {};

TEST_F(ContentViewStart, NothingInstalledNamesTheStepsAndTheDefaultScript) {
    auto& view = start();
    EXPECT_EQ(view.installedScriptURL(), home / "Quillstone/BackupMonitor.sh");
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
    EXPECT_EQ(view.versionText(), "Version 2.2");
    EXPECT_EQ(view.currentBuild(), 0);
}

class ContentViewNavigation : public WizardStateTest {};

TEST_F(ContentViewNavigation, ContinueWaitsOnActivateAndNothingLiesPastTheLastStep) {
    auto& view = start();
    walkTo(3);
    view.goForward();
    EXPECT_EQ(view.currentStep(), 3) << "nothing installed yet";
    view.selectIntegration(Integration::classic);
    view.requestClassicInstallation();
    walkTo(4);
    EXPECT_TRUE(view.isLastStep());
    EXPECT_FALSE(view.canContinue());
    view.goForward();
    EXPECT_EQ(view.currentStep(), 4);
    view.goBack();
    EXPECT_EQ(view.stepText(), "Step 4 of 5");
}

class ContentViewRefresh : public WizardStateTest {};

TEST_F(ContentViewRefresh, TheShortcutIsAskedAgainOnlyForAnInactiveSD4) {
    auto& view = start();
    view.selectIntegration(Integration::classic);
    view.refreshShortcutState();
    EXPECT_EQ(shortcut.checks, 1); // only the one at start-up: not asked for Classic

    shortcut.answers = {true};
    view.selectIntegration(Integration::sd4);
    view.refreshShortcutState();
    EXPECT_TRUE(view.shortcutIsInstalled());
    view.activateSD4Monitor();
    view.refreshShortcutState();
    ASSERT_TRUE(view.activationSucceeded());
    EXPECT_EQ(shortcut.checks, 2); // nor once activated
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
