#pragma once

#include "setup/wizard/widgets/WizardScreen.h"

namespace quillstone {

class PathBox;
class WizardButton;

// Step 2: where the status file goes, and the button that chooses the folder.
class StatusFolderScreen : public WizardScreen {
public:
    static constexpr const char* symbol = "folder.fill";
    static constexpr const char* title = "Synchronize the status file";
    static constexpr const char* subtitle = "Use Google Drive or Dropbox to synchronize your Quillstone folder.";
    static constexpr const char* locationIntro = "Quillstone stores the status file here:";
    static constexpr const char* synchronisationHint =
        "Choose a local Dropbox or Google Drive folder if you want the status to synchronise automatically.";
    static constexpr const char* chooseTitle = "Choose status folder";
    static constexpr const char* proNote = "Dropbox in the mobile app requires Quillstone Pro.";
    static constexpr const char* oneMacNote = "Quillstone currently monitors one Mac status file at a time. Do not "
                                              "configure multiple Macs to write to the same backup_status.json file.";

    explicit StatusFolderScreen(ContentView& view, QWidget* parent = nullptr);

    void refresh() override;
    WizardButton* chooseButton() const { return choose_; }

private:
    PathBox* path_;
    WizardButton* choose_;
};

} // namespace quillstone
