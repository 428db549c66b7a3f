#pragma once

#include <QWidget>

namespace quillstone {

class WizardButton;

// The bottom bar: Back, and Continue or, on the last step, the removal button and Finish.
class WizardFooter : public QWidget {
public:
    static constexpr const char* backTitle = "Back";
    static constexpr const char* continueTitle = "Continue";
    static constexpr const char* finishTitle = "Finish";

    explicit WizardFooter(QWidget* parent = nullptr);

    // The last step shows the removal button (with this title) and Finish instead of Continue.
    void setLastStep(bool lastStep, const QString& removalTitle);

    WizardButton* back() const { return back_; }
    WizardButton* continueButton() const { return continue_; }
    WizardButton* removal() const { return removal_; }
    WizardButton* finish() const { return finish_; }

private:
    WizardButton* back_;
    WizardButton* continue_;
    WizardButton* removal_;
    WizardButton* finish_;
};

} // namespace quillstone
