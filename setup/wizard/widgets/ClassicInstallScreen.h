#pragma once

#include "setup/wizard/widgets/WizardScreen.h"

#include <QStringList>

class QLabel;

namespace quillstone {

class PathBox;
class WizardButton;
class WizardCard;

// Step 3 for SuperDuper! Classic: the script's place, what the installation
// does, data found there already, and the installation button.
class ClassicInstallScreen : public WizardScreen {
public:
    static constexpr const char* symbol = "wrench.and.screwdriver.fill";
    static constexpr const char* title = "Install the monitor script";
    static constexpr const char* subtitle = "Install the Classic monitor in the selected Quillstone folder.";
    static constexpr const char* checklist[] = {"Create the Quillstone folder in the selected location",
                                                "Install BackupMonitor.sh", "Make the script executable",
                                                "Preserve an existing installation where possible"};
    static constexpr const char* existingTitle = "Existing Quillstone data found";
    static constexpr const char* existingText =
        "Your status file and logs will be retained. The previous monitor script will be kept as a dated backup.";
    static constexpr const char* administratorTitle = "Administrator authorization required";
    static constexpr const char* administratorText =
        "macOS will ask for an administrator password during installation. Quillstone does not see or store your "
        "password. It is used only to set the permissions required by SuperDuper!.";

    explicit ClassicInstallScreen(ContentView& view, QWidget* parent = nullptr);

    void refresh() override;
    QLabel* resultLine() const override { return message_; }
    WizardButton* installButton() const { return install_; }

private:
    void showExistingItems(const QStringList& labels);

    PathBox* path_;
    WizardCard* existing_;
    QWidget* existingRows_;
    QStringList shownLabels_;
    WizardButton* install_;
    QLabel* message_;
};

} // namespace quillstone
