#pragma once

#include "setup/wizard/widgets/WizardScreen.h"

namespace quillstone {

class NumberedRow;
class PathBox;
class WizardButton;
class WizardCard;

// Step 4: what is left to do on the phone, the Classic instructions and the setup guide.
class NextStepsScreen : public WizardScreen {
public:
    static constexpr const char* symbol = "iphone";
    static constexpr const char* title = "Complete Quillstone on your phone";
    static constexpr const char* subtitle =
        "Complete the remaining steps online and in Quillstone on your iPhone or Android device.";
    static constexpr const char* sd4Checklist[] = {"The silent SD4 monitor is registered for this Mac user",
                                                   "New compatible SD4 completions are handled automatically"};
    static constexpr const char* classicChecklist[] = {"Connect BackupMonitor.sh to SuperDuper! Classic",
                                                       "Run a test backup"};
    static constexpr const char* commonChecklist[] = {"Wait for backup_status.json to synchronize",
                                                      "Create a read-only Google Drive or Dropbox link",
                                                      "Paste the link into Quillstone on your iPhone or Android device"};
    static constexpr const char* classicStepOne = "Open Options \u2192 Advanced in SuperDuper! Classic.";
    static constexpr const char* classicStepTwo = "Under After copy, enable Run shell script after copy completes.";
    static constexpr const char* scheduledCopiesPath = "~/Library/Application Support/SuperDuper!/Scheduled Copies/";
    static constexpr const char* guideTitle = "Open complete setup guide";

    explicit NextStepsScreen(ContentView& view, QWidget* parent = nullptr);

    void refresh() override;
    WizardButton* guideButton() const { return guide_; }

private:
    WizardCard* sd4Checklist_;
    WizardCard* classicChecklist_;
    WizardCard* instructions_;
    NumberedRow* selectScript_;
    WizardButton* guide_;
};

} // namespace quillstone
