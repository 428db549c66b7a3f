#include "WizardHarness.h"

#include "setup/model/QuillstoneStatusDocument.h"
#include "setup/wizard/widgets/NextStepsScreen.h"
#include "setup/wizard/widgets/StatusFolderScreen.h"

#include <QGuiApplication>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

void becomeActive() {
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
}

} // namespace

TEST(WizardFlowTest, SuperDuper4FromWelcomeToFinish) {
    WizardHarness wizard;
    wizard.open();
    EXPECT_TRUE(wizard.shows("Version 2.3"));
    EXPECT_TRUE(wizard.shows("quillstone.app/setup"));
    EXPECT_FALSE(wizard.shows("Quillstone Monitor is installed")) << "no monitor, no removal box";
    wizard.screenshot("wizard-0-welcome");

    wizard.click("Continue");
    EXPECT_FALSE(wizard.button("SuperDuper! Classic")->isChecked());
    EXPECT_TRUE(wizard.shows("Previously using SuperDuper! Classic?"));
    wizard.screenshot("wizard-1-superduper-sd4");

    wizard.click("Continue");
    EXPECT_TRUE(wizard.shows(QString::fromStdString((wizard.home / "Quillstone/backup_status.json").string())));
    wizard.screenshot("wizard-2-status-folder");

    wizard.click("Continue");
    EXPECT_TRUE(wizard.shows("Activate Quillstone"));
    EXPECT_FALSE(wizard.button("Continue")->isEnabled()) << "nothing activated yet";
    EXPECT_EQ(wizard.button("Activate Quillstone"), nullptr) << "no activation before the Shortcut";
    wizard.screenshot("wizard-3-sd4-shortcut-missing");

    wizard.click("Install required Shortcut");
    EXPECT_EQ(wizard.shortcut.opens, 1);
    wizard.shortcut.answers = {true};
    becomeActive();
    EXPECT_TRUE(wizard.shows("The Apple Shortcut is installed. You can now activate Quillstone."));
    EXPECT_FALSE(wizard.shows("One-time Apple Shortcut"));
    wizard.screenshot("wizard-3-sd4-before");

    wizard.monitor.failing = {"installMonitorAgent"};
    wizard.click("Activate Quillstone");
    EXPECT_TRUE(wizard.shows("Activation failed: The Quillstone Monitor could not be started."));
    wizard.screenshot("wizard-3-sd4-failure");

    // The window takes no clicks while the activation runs.
    bool enabledDuringActivation = true;
    wizard.monitor.failing.clear();
    wizard.monitor.during = [&](const std::string&) { enabledDuringActivation = wizard.button("Back")->isEnabled(); };
    wizard.click("Activate Quillstone");
    wizard.monitor.during = nullptr;
    EXPECT_FALSE(enabledDuringActivation);
    EXPECT_TRUE(wizard.shows("The Quillstone Monitor is active for this Mac user."));
    ASSERT_NE(wizard.button("Quillstone activated"), nullptr);
    wizard.screenshot("wizard-3-sd4-success");

    wizard.click("Continue");
    EXPECT_TRUE(wizard.shows("Step 5 of 5"));
    EXPECT_EQ(wizard.button("Continue"), nullptr) << "the last step has no Continue";
    EXPECT_TRUE(wizard.shows(NextStepsScreen::sd4Checklist[0]));
    EXPECT_FALSE(wizard.shows(NextStepsScreen::classicStepOne));
    wizard.click("Open complete setup guide");
    EXPECT_EQ(wizard.workspace.opened, std::vector<std::string>{"https://quillstone.app/setup/"});
    wizard.screenshot("wizard-4-next-steps-sd4");

    wizard.click("Finish");
    EXPECT_EQ(wizard.terminations, 1);
}

TEST(WizardFlowTest, ClassicFromChoiceToRemoval) {
    WizardHarness wizard;
    wizard.open();
    wizard.click("Continue");
    wizard.click("SuperDuper! Classic");
    EXPECT_TRUE(wizard.button("SuperDuper! Classic")->isChecked());
    EXPECT_FALSE(wizard.shows("Previously using SuperDuper! Classic?"));
    wizard.screenshot("wizard-1-superduper-classic");

    wizard.click("Continue");
    const auto dropbox = wizard.home / "Dropbox";
    std::filesystem::create_directories(dropbox);
    wizard.chosenFolder = dropbox;
    wizard.click(StatusFolderScreen::chooseTitle);
    EXPECT_TRUE(wizard.shows(QString::fromStdString((dropbox / "Quillstone/backup_status.json").string())));

    wizard.click("Continue");
    EXPECT_TRUE(wizard.shows("Install the monitor script"));
    EXPECT_TRUE(wizard.shows(QString::fromStdString((dropbox / "Quillstone/BackupMonitor.sh").string())));
    EXPECT_FALSE(wizard.shows("Existing Quillstone data found")) << "an empty folder holds nothing";
    EXPECT_FALSE(wizard.button("Continue")->isEnabled());
    wizard.screenshot("wizard-3-classic-before");

    wizard.administrator.onRun = [](const std::string&) { throw std::runtime_error("User cancelled."); };
    wizard.click("Install Quillstone");
    EXPECT_TRUE(wizard.shows("Installation failed: Administrator authorization was cancelled or failed."));
    // The failed run left the folder and its status file: the notice names them.
    EXPECT_TRUE(wizard.shows("Existing Quillstone data found"));
    EXPECT_TRUE(wizard.shows("Existing backup status"));
    EXPECT_TRUE(wizard.shows("Existing backup logs"));
    wizard.screenshot("wizard-3-classic-failure");

    wizard.administrator.onRun = nullptr;
    wizard.click("Install Quillstone");
    QMessageBox* alert = WizardHarness::openAlert();
    ASSERT_NE(alert, nullptr) << "existing data asks first";
    EXPECT_EQ(alert->text(), "Existing Quillstone data found");
    EXPECT_EQ(alert->informativeText(),
              "backup_status.json and logs remain unchanged. The previous BackupMonitor.sh is saved as a dated backup.");
    wizard.screenshot("wizard-alert-existing-data", alert);
    QTest::keyClick(alert, Qt::Key_Escape);
    QApplication::processEvents();
    EXPECT_FALSE(wizard.view->showsExistingInstallationConfirmation());
    EXPECT_FALSE(wizard.view->installationSucceeded()) << "Escape cancels";
    EXPECT_EQ(wizard.administrator.sources.size(), 1u) << "only the failed run asked for rights";

    bool enabledDuringInstallation = true;
    wizard.administrator.onRun = [&](const std::string&) { enabledDuringInstallation = wizard.button("Back")->isEnabled(); };
    wizard.click("Install Quillstone");
    alert = WizardHarness::openAlert();
    ASSERT_NE(alert, nullptr);
    QTest::mouseClick(WizardHarness::alertButton(alert, "Update and retain data"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_FALSE(enabledDuringInstallation);
    EXPECT_TRUE(wizard.shows("BackupMonitor.sh and the Quillstone menu-bar app were installed successfully."));
    ASSERT_NE(wizard.button("Quillstone installed"), nullptr);
    const auto folder = dropbox / "Quillstone";
    EXPECT_EQ(readText(folder / "BackupMonitor.sh"), "#!/bin/sh\nQUILLSTONE_DIR='" + folder.string() + "'\n");
    EXPECT_EQ(readText(folder / "backup_status.json"), QuillstoneStatusDocument::emptyDocument);
    EXPECT_EQ(readText(folder / "logs/BackupMonitor.log"), "");
    EXPECT_EQ(wizard.configurationStore.loadComplete(),
              (QuillstoneConfiguration{1, QuillstoneIntegration::classic, folder.string()}));
    wizard.screenshot("wizard-3-classic-success");

    wizard.click("Continue");
    EXPECT_TRUE(wizard.shows(NextStepsScreen::classicStepOne));
    EXPECT_TRUE(wizard.shows("Select " + QString::fromStdString((dropbox / "Quillstone/BackupMonitor.sh").string()) + "."));
    EXPECT_TRUE(wizard.shows(NextStepsScreen::scheduledCopiesPath));
    wizard.screenshot("wizard-4-next-steps-classic");

    wizard.click("Remove Quillstone Menu App");
    alert = WizardHarness::openAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), "Remove the Quillstone menu-bar app?");
    EXPECT_EQ(alert->informativeText(), "This stops the Quillstone menu-bar app for this Mac user. "
                                        "BackupMonitor.sh, backup_status.json and logs are kept.");
    ASSERT_NE(WizardHarness::alertButton(alert, "Remove menu app"), nullptr);
    wizard.screenshot("wizard-alert-remove-menu-app", alert);
    QTest::mouseClick(WizardHarness::alertButton(alert, "Cancel"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(wizard.terminations, 0);

    wizard.click("Remove Quillstone Menu App");
    alert = WizardHarness::openAlert();
    ASSERT_NE(alert, nullptr);
    QTest::mouseClick(WizardHarness::alertButton(alert, "Remove menu app"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(wizard.terminations, 1) << "a successful removal quits";
}
