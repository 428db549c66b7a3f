#include "WizardHarness.h"

#include "setup/app/gui/QtFolderChooser.h"
#include "setup/wizard/widgets/UpgradePrompt.h"

#include <QAccessibleActionInterface>
#include <QFileDialog>

using namespace quillstone;
using namespace quillstone::testing;

TEST(WizardPromptsTest, WelcomeRemovalBoxAsksAndShowsAFailure) {
    WizardHarness wizard;
    wizard.monitor.plistExists = true;
    writeText(wizard.configurationStore.fileURL(), R"({"version":1,"integration":"classic","quillstoneFolderPath":"/x/Quillstone"})");
    wizard.open();
    EXPECT_TRUE(wizard.shows("Quillstone Monitor is installed"));
    wizard.screenshot("wizard-0-welcome-removal-box");

    wizard.click("Remove Quillstone Monitor");
    QMessageBox* alert = WizardHarness::openAlert();
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->text(), "Remove the Quillstone Monitor?");
    EXPECT_EQ(alert->informativeText(), "The monitor, its local configuration and local Run-ID history are removed. "
                                        "backup_status.json and logs stay.");
    wizard.screenshot("wizard-alert-remove-monitor", alert);

    wizard.monitor.failing = {"removeSD4Monitor"};
    QTest::mouseClick(WizardHarness::alertButton(alert, "Remove monitor"), Qt::LeftButton);
    QApplication::processEvents();
    EXPECT_EQ(wizard.terminations, 0);
    EXPECT_TRUE(wizard.shows("Removal failed: The Quillstone Monitor could not be stopped."));
    EXPECT_TRUE(wizard.button("Remove Quillstone Monitor")->isEnabled()) << "the user can try again";
    wizard.screenshot("wizard-0-welcome-removal-failed");
}

TEST(WizardPromptsTest, UpgradePromptCoversTheWindowWithItsKeys) {
    WizardHarness wizard;
    wizard.candidate =
        QuillstoneUpgradeCandidate{"2.2", "12", "/Applications/Quillstone Setup.app", "2.3", "40", true};
    wizard.open();
    UpgradePrompt* prompt = wizard.window->upgradePrompt();
    ASSERT_TRUE(prompt->isVisible());
    EXPECT_EQ(prompt->geometry(), wizard.window->rect());
    EXPECT_FALSE(wizard.button("Continue")->isEnabled()) << "nothing beneath the prompt reacts";
    EXPECT_TRUE(wizard.shows("Upgrade Quillstone?"));
    EXPECT_TRUE(wizard.shows("Quillstone 2.2 (Build 12) is currently installed."));
    EXPECT_TRUE(wizard.shows("Would you like to upgrade to Quillstone 2.3 (Build 40)?"));
    EXPECT_TRUE(wizard.shows("Your existing BackupMonitor.sh, backup status and logs will be kept."));
    wizard.screenshot("wizard-upgrade-prompt");

    // Return is Upgrade Now; running from elsewhere than /Applications leaves an error line.
    QTest::keyClick(wizard.window.get(), Qt::Key_Return);
    QApplication::processEvents();
    EXPECT_TRUE(wizard.shows("Install Quillstone 2.3 first. The active Monitor was not changed."));
    EXPECT_EQ(wizard.mainQueue.runAll(), 0u) << "nothing was started";
    EXPECT_TRUE(prompt->isVisible());
    EXPECT_TRUE(wizard.button("Upgrade Now")->isEnabled()) << "not in progress";
    wizard.screenshot("wizard-upgrade-prompt-error");

    QTest::keyClick(wizard.window.get(), Qt::Key_Escape);
    EXPECT_EQ(wizard.terminations, 1) << "Escape is Cancel, which quits";
}

TEST(WizardPromptsTest, UpgradePromptRunsThenFadesAway) {
    WizardHarness wizard;
    wizard.applications = wizard.bundle.parent_path();
    wizard.candidate =
        QuillstoneUpgradeCandidate{"2.3", "9", "/Applications/Quillstone Setup.app", "2.3", "40", false};
    wizard.open();
    EXPECT_TRUE(wizard.shows("Your Monitor settings, Shortcut, backup status and logs will be kept."));
    wizard.click("Upgrade Now");
    UpgradePrompt* prompt = wizard.window->upgradePrompt();
    EXPECT_TRUE(prompt->upgradeButton()->isBusy());
    EXPECT_FALSE(prompt->cancelButton()->isEnabled());
    EXPECT_FALSE(prompt->upgradeButton()->isEnabled());
    wizard.screenshot("wizard-upgrade-prompt-running");

    wizard.monitor.plistExists = wizard.monitor.loaded = true;
    wizard.mainQueue.runAll();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !prompt->isVisible(); }, 2000)) << "gone after the upgrade";
    EXPECT_EQ(wizard.monitor.journal, std::vector<std::string>{"upgradeMonitorService"});
    EXPECT_EQ(wizard.legacyRemovals,
              std::vector<std::filesystem::path>{"/Applications/Quillstone Setup.app"});
    EXPECT_TRUE(wizard.shows("Quillstone was upgraded to version 2.3 (Build 40)."))
        << "the monitor state was refreshed";
    EXPECT_TRUE(wizard.button("Continue")->isEnabled());
    EXPECT_EQ(wizard.terminations, 0);
}

TEST(WizardPromptsTest, OfferedUpdateOpensItsDownload) {
    WizardHarness wizard;
    wizard.fakeHttp.response = {true, 200,
                            R"({"version":"2.4","build":41,"downloadURL":"https://quillstone.app/download"})"};
    wizard.open();
    EXPECT_EQ(wizard.button("Update 2.4 available"), nullptr) << "asked once the window is shown";
    wizard.backgroundQueue.runNext();
    EXPECT_EQ(wizard.button("Update 2.4 available"), nullptr) << "applied on the main queue only";
    wizard.mainQueue.runAll();
    ASSERT_NE(wizard.button("Update 2.4 available"), nullptr);
    wizard.screenshot("wizard-update-offered");
    wizard.click("Update 2.4 available");
    EXPECT_EQ(wizard.workspace.opened, std::vector<std::string>{"https://quillstone.app/download"});
    wizard.window->hide();
    wizard.window->show();
    EXPECT_EQ(wizard.backgroundQueue.size(), 0u) << "one check per window";
}

TEST(WizardPromptsTest, OptionCardsAnswerAssistiveToggleLikeAClick) {
    WizardHarness wizard;
    wizard.shortcut.answers = {true};
    wizard.open();
    for (const char* name : {"Continue", "Continue", "Continue", "Activate Quillstone", "Back", "Back"}) {
        wizard.click(name);
    }

    auto toggle = [&](const QString& card) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(wizard.button(card));
        ASSERT_NE(accessible, nullptr);
        EXPECT_TRUE(accessible->state().checkable);
        accessible->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QApplication::processEvents();
    };
    // The selected card stays selected and still clears the result.
    toggle("SuperDuper! 4");
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(wizard.button("SuperDuper! 4"))->state().checked);
    EXPECT_FALSE(wizard.view->activationSucceeded());
    toggle("SuperDuper! Classic");
    EXPECT_EQ(wizard.view->selectedIntegration(), QuillstoneIntegration::classic);
    EXPECT_TRUE(QAccessible::queryAccessibleInterface(wizard.button("SuperDuper! Classic"))->state().checked);
    EXPECT_FALSE(QAccessible::queryAccessibleInterface(wizard.button("SuperDuper! 4"))->state().checked);
}

TEST(WizardPromptsTest, FolderPanelChoosesDirectoriesOnly) {
    WizardHarness wizard;
    QuillstoneFolderChoice choice;
    choice.startingFolder = wizard.home;
    std::unique_ptr<QFileDialog> dialog(QtFolderChooser::makeDialog(choice, nullptr));
    EXPECT_EQ(dialog->windowTitle(), "Choose where Quillstone status should be stored");
    EXPECT_EQ(dialog->labelText(QFileDialog::Accept), "Choose");
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_FALSE(dialog->testOption(QFileDialog::ReadOnly)) << "new folders can be made";
    EXPECT_EQ(std::filesystem::path(dialog->directory().absolutePath().toStdString()), wizard.home);
    dialog->show();
    QApplication::processEvents();
    EXPECT_TRUE(dialog->grab().save(WizardHarness::screenshotPath("wizard-folder-panel")));
    expectReadable(*dialog, QStringLiteral("wizard-folder-panel"));
}
