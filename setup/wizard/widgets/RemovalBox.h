#pragma once

#include "setup/wizard/widgets/WizardCard.h"

class QLabel;

namespace quillstone {

class WizardButton;

// The welcome screen's box for an installed SD4 monitor: what is installed,
// the removal button and the last removal's message.
class RemovalBox : public WizardCard {
public:
    static constexpr const char* installedTitle = "Quillstone Monitor is installed";
    static constexpr const char* explanation =
        "This Mac already has an SD4 Monitor. You can remove it here before deleting Quillstone Setup.";
    static constexpr const char* removeTitle = "Remove Quillstone Monitor";

    explicit RemovalBox(QWidget* parent = nullptr);

    WizardButton* removeButton() const { return remove_; }
    void setMessage(const QString& message);
    QLabel* message() const { return message_; }

private:
    WizardButton* remove_;
    QLabel* message_;
};

} // namespace quillstone
