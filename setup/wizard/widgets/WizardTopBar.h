#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

class WizardButton;

// The application icon and name, the offered update and the step counter.
class WizardTopBar : public QWidget {
public:
    static constexpr const char* title = "Quillstone Setup";
    static constexpr const char* subtitle = "Connect SuperDuper! backups to Quillstone on iPhone or Android";
    static constexpr int iconSize = 74;

    explicit WizardTopBar(QWidget* parent = nullptr);

    void setIcon(const QIcon& icon);
    // An empty version hides the update button.
    void setUpdateVersion(const QString& version);
    void setStepText(const QString& text);
    WizardButton* updateButton() const { return update_; }

private:
    QLabel* icon_;
    WizardButton* update_;
    QLabel* step_;
};

} // namespace quillstone
