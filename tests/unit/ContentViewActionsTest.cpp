#include "setup/service/QuillstoneInstalledComponents.h"
#include "support/WizardFakes.h"

#include <gmock/gmock.h>

using namespace quillstone;
using namespace quillstone::testing;
using ::testing::ElementsAre;
using ::testing::StartsWith;
namespace fs = std::filesystem;

namespace {

using Integration = QuillstoneIntegration;
using BridgeCode = QuillstoneShortcutBridgeError::Code;

class ClassicInstallation : public WizardStateTest {
protected:
    ContentView& startClassic(const fs::path& parent) {
        storeConfiguration(Integration::classic, parent / "Quillstone");
        return start();
    }
    fs::path folder = root / "Drive/Quillstone";
    std::string seconds = "1700000000";
};

TEST_F(ClassicInstallation, ReinstallsWithinOneSecondKeepEveryEarlierScriptAndAllData) {
    writeText(folder / "BackupMonitor.sh", "version 0");
    writeText(folder / ("BackupMonitor.sh.previous-" + seconds), "older backup");
    writeText(folder / "backup_status.json", "{\"backups\":[{\"x\":1}]}");
    writeText(folder / "logs/BackupMonitor.log", "old log\n");
    auto& view = startClassic(root / "Drive");
    view.installClassicMonitor();
    writeText(bundle / "Contents/Resources/BackupMonitor.sh", "v2 __QUILLSTONE_DIR__");
    view.installClassicMonitor();

    EXPECT_EQ(readText(folder / ("BackupMonitor.sh.previous-" + seconds)), "older backup");
    EXPECT_EQ(readText(folder / ("BackupMonitor.sh.previous-" + seconds + "-1")), "version 0");
    EXPECT_THAT(readText(folder / ("BackupMonitor.sh.previous-" + seconds + "-2")), StartsWith("#!/bin/sh"));
    EXPECT_THAT(readText(folder / "BackupMonitor.sh"), StartsWith("v2 '"));
    EXPECT_EQ(readText(folder / "backup_status.json"), "{\"backups\":[{\"x\":1}]}");
    EXPECT_EQ(readText(folder / "logs/BackupMonitor.log"), "old log\n");
}

TEST_F(ClassicInstallation, EveryFailureNamesItsCauseAndUndoesNothing) {
    struct Case {
        std::string name;
        std::function<void()> arrange;
        fs::path parent;
        std::string message;
    };
    const fs::path blocked = root / "file-not-folder";
    const fs::path odd = root / "__QUILLSTONE_DIR__";
    std::vector<Case> cases{
        {"template missing", [&] { fs::remove(bundle / "Contents/Resources/BackupMonitor.sh"); }, root / "Drive",
         "BackupMonitor.sh could not be found in the Setup Wizard."},
        {"placeholder left", [&] { writeText(odd / "Quillstone/BackupMonitor.sh", "old"); }, odd,
         "Installation failed: BackupMonitor.sh could not be configured."},
        {"folder error", [&] { writeText(blocked, ""); }, blocked, ""},
        {"agent removal", [&] { monitor.failing = {"uninstallMonitorAgent"}; }, root / "Drive",
         "Installation failed: " + FakeMonitorControl::failure("uninstallMonitorAgent")},
        {"status host", [&] { monitor.failing = {"installClassicStatusHost"}; }, root / "Drive",
         "Installation failed: " + FakeMonitorControl::failure("installClassicStatusHost")},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.arrange();
        auto& view = startClassic(c.parent);
        walkTo(3);
        view.installClassicMonitor();
        if (c.message.empty()) {
            EXPECT_THAT(view.installationMessage(), StartsWith("Installation failed: "));
        } else {
            EXPECT_EQ(view.installationMessage(), c.message);
        }
        EXPECT_FALSE(view.installationSucceeded());
        EXPECT_FALSE(view.isInstalling());
        EXPECT_FALSE(view.canContinue());
        // reset for the next case
        writeText(bundle / "Contents/Resources/BackupMonitor.sh", scriptTemplate);
        monitor.failing.clear();
    }
    // The old script was moved away before the placeholder check failed.
    EXPECT_FALSE(fs::exists(odd / "Quillstone/BackupMonitor.sh"));
    EXPECT_EQ(readText(odd / ("Quillstone/BackupMonitor.sh.previous-" + seconds)), "old");
    // After the status host failed, the configuration is still saved.
    EXPECT_EQ(configurationStore.loadComplete()->integration, Integration::classic);
}

TEST_F(ClassicInstallation, ChoosingAFolderStartsAtTheCurrentOneAndClearsTheResult) {
    auto& view = startClassic(root / "Drive");
    view.installClassicMonitor();
    ASSERT_TRUE(view.installationSucceeded());
    view.chooseStatusFolder(); // cancelled
    EXPECT_TRUE(view.installationSucceeded());
    chosenFolder = root / "Dropbox";
    view.chooseStatusFolder();

    ASSERT_EQ(choices.size(), 2u);
    EXPECT_EQ(choices[0].startingFolder, root / "Drive");
    EXPECT_EQ(view.installationParentURL(), root / "Dropbox");
    EXPECT_FALSE(view.installationSucceeded());
    EXPECT_TRUE(view.installationMessage().empty());
}

class SD4Activation : public WizardStateTest {};

// Folder and choice are prepared before the agent starts; the window tests show a successful start.
TEST_F(SD4Activation, PreparesTheFolderAndSavesTheChoiceEvenWhenTheAgentFails) {
    shortcut.answers = {true};
    writeText(home / "Quillstone/backup_status.json", "{\"backups\":[1]}");
    monitor.failing = {"installMonitorAgent"};
    auto& view = start();
    walkTo(3);
    view.activateSD4Monitor();
    EXPECT_FALSE(view.activationSucceeded());
    EXPECT_FALSE(view.monitorIsInstalled());
    EXPECT_EQ(readText(home / "Quillstone/backup_status.json"), "{\"backups\":[1]}");
    EXPECT_EQ(configurationStore.loadComplete(),
              (QuillstoneConfiguration{1, Integration::sd4, (home / "Quillstone").string()}));
}

TEST_F(SD4Activation, TheShortcutIsCheckedAgainBeforeGivingUpAndNothingElseRunsMeanwhile) {
    auto& view = start();
    view.activateSD4Monitor();
    EXPECT_EQ(view.activationMessage(), "Install the required Apple Shortcut first.");
    EXPECT_TRUE(monitor.journal.empty());

    shortcut.answers = {true};
    monitor.during = [&](const std::string&) { // a second request or a refresh while it runs is ignored
        const int checks = shortcut.checks;
        EXPECT_TRUE(view.isWindowDisabled());
        view.activateSD4Monitor();
        view.refreshMonitorState();
        view.refreshShortcutState();
        EXPECT_EQ(shortcut.checks, checks);
    };
    view.activateSD4Monitor();
    EXPECT_THAT(monitor.journal, ElementsAre("installMonitorAgent"));
    EXPECT_TRUE(view.activationSucceeded());
    EXPECT_FALSE(view.shortcutIsInstalled()); // the second check does not change it
}

TEST_F(SD4Activation, OpeningTheShortcutReportsWhyItFailed) {
    auto& view = start();
    for (auto [code, text] : {std::pair{BridgeCode::missingBundledShortcut,
                                        "The Quillstone connection is missing from this Setup app."},
                              std::pair{BridgeCode::couldNotOpenShortcut, "macOS could not open the Quillstone connection."}}) {
        shortcut.openFailure = code;
        view.openShortcutInstaller();
        EXPECT_EQ(view.activationMessage(), std::string("Quillstone could not open the Shortcut installer: ") + text);
    }
}

class Removal : public WizardStateTest {};

// The window tests show the same for a failed removal of the SD4 monitor.
TEST_F(Removal, AFailureIsShownInBothPlacesKeepsWhatIsLeftAndDoesNotQuit) {
    components.save(QuillstoneInstalledComponents{});
    monitor.failing = {"removeLegacyStatusHostAgent", "unregisterStatusHost"};
    auto& view = start();
    // A second click while it runs is ignored.
    monitor.during = [&](const std::string&) { view.removeInstalledComponent(); };
    view.selectIntegration(Integration::classic);
    view.removeInstalledComponent();
    const std::string expected = "Removal failed: " + FakeMonitorControl::failure("unregisterStatusHost");
    EXPECT_EQ(view.activationMessage(), expected);
    EXPECT_EQ(view.monitorActionMessage(), expected);
    EXPECT_FALSE(view.isManagingMonitor());
    EXPECT_THAT(monitor.journal, ElementsAre("removeLegacyStatusHostAgent", "unregisterStatusHost"));
    EXPECT_TRUE(fs::exists(components.fileURL()));
    EXPECT_EQ(terminations, 0);

    // Once the status host goes, the old agent's failure alone does not stop the removal.
    monitor.failing = {"removeLegacyStatusHostAgent"};
    view.removeInstalledComponent();
    EXPECT_EQ(terminations, 1);
}

} // namespace
