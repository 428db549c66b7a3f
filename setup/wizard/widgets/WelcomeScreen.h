#pragma once

#include "setup/wizard/widgets/WizardScreen.h"

class QLabel;

namespace quillstone {

class RemovalBox;

// Step 0: what the wizard will do, and the removal box while a monitor is installed.
class WelcomeScreen : public WizardScreen {
public:
    static constexpr const char* symbol = "sparkles";
    static constexpr const char* title = "Welcome to Quillstone Setup";
    static constexpr const char* subtitle =
        "This wizard installs the Mac component required to monitor your SuperDuper! backups.";
    static constexpr const char* checklistTitle = "During setup, Quillstone will:";
    static constexpr const char* checklist[] = {"Choose SuperDuper! 4 or SuperDuper! Classic",
                                                "Choose where backup_status.json is saved", "Activate Quillstone"};
    static constexpr const char* privacyNote =
        "No backup data is uploaded by this wizard. A small status file is created during setup and updated after "
        "SuperDuper! completes a backup.";

    explicit WelcomeScreen(ContentView& view, QWidget* parent = nullptr);

    void refresh() override;
    QLabel* resultLine() const override;
    RemovalBox* removalBox() const { return removal_; }

private:
    QLabel* version_;
    RemovalBox* removal_;
};

} // namespace quillstone
