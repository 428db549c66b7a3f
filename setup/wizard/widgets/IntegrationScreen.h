#pragma once

#include "setup/wizard/widgets/WizardScreen.h"

namespace quillstone {

class OptionCard;
class WizardCard;

// Step 1: one option card per integration, and the note for earlier Classic users.
class IntegrationScreen : public WizardScreen {
public:
    static constexpr const char* symbol = "slider.horizontal.3";
    static constexpr const char* title = "Choose your SuperDuper! version";
    static constexpr const char* subtitle =
        "Quillstone uses one integration at a time, so a backup is never listed twice.";
    static constexpr const char* sd4Title = "SuperDuper! 4";
    static constexpr const char* sd4Badge = "RECOMMENDED";
    static constexpr const char* sd4Text = "Requires SuperDuper! 4.0.6 or later. Quillstone automatically follows "
                                           "compatible SD4 runs; no setup per backup task.";
    static constexpr const char* classicTitle = "SuperDuper! Classic";
    static constexpr const char* classicText =
        "Use the trusted BackupMonitor.sh route for existing Classic scheduled copies.";
    static constexpr const char* noteTitle = "Previously using SuperDuper! Classic?";
    static constexpr const char* noteText =
        "Remove the old Quillstone action from your Classic scheduled copy before activating SuperDuper! 4. "
        "Quillstone cannot safely change that existing task for you.";

    explicit IntegrationScreen(ContentView& view, QWidget* parent = nullptr);

    void refresh() override;
    OptionCard* sd4Card() const { return sd4_; }
    OptionCard* classicCard() const { return classic_; }

private:
    OptionCard* sd4_;
    OptionCard* classic_;
    WizardCard* note_;
};

} // namespace quillstone
