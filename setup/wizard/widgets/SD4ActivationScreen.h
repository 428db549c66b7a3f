#pragma once

#include "setup/wizard/widgets/WizardScreen.h"

class QLabel;

namespace quillstone {

class WizardButton;

// Step 3 for SuperDuper! 4: the one-time Shortcut, then the activation button.
class SD4ActivationScreen : public WizardScreen {
public:
    static constexpr const char* symbol = "bolt.fill";
    static constexpr const char* title = "Activate Quillstone";
    static constexpr const char* subtitle =
        "Quillstone runs quietly in your user session and needs no setup per SD4 backup task.";
    static constexpr const char* checklist[] = {
        "Remember the SuperDuper! 4 choice", "Remember the selected status folder",
        "Install one Apple Shortcut for SuperDuper! run details", "Start the silent Quillstone Monitor",
        "Remove the monitor again when Quillstone is uninstalled"};
    static constexpr const char* shortcutTitle = "One-time Apple Shortcut";
    static constexpr const char* shortcutText = "Quillstone uses one small Apple Shortcut to read the details of "
                                                "completed SuperDuper! 4 runs. It is installed once and is used for "
                                                "every backup task.";
    static constexpr const char* installShortcutTitle = "Install required Shortcut";

    explicit SD4ActivationScreen(ContentView& view, QWidget* parent = nullptr);

    void refresh() override;
    QLabel* resultLine() const override { return message_; }
    WizardButton* installShortcutButton() const { return installShortcut_; }
    WizardButton* activateButton() const { return activate_; }

private:
    QWidget* shortcut_;
    WizardButton* installShortcut_;
    WizardButton* activate_;
    QLabel* message_;
};

} // namespace quillstone
