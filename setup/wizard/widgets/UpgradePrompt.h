#pragma once

#include <QWidget>

class QLabel;

namespace quillstone {

class SymbolText;
class WizardButton;

// Covers the whole window while an older installation can be upgraded:
// a dark layer with a centred card that asks to upgrade. Escape is Cancel,
// Return is Upgrade Now.
class UpgradePrompt : public QWidget {
public:
    static constexpr const char* title = "Upgrade Quillstone?";
    static constexpr const char* cancelTitle = "Cancel";
    static constexpr const char* upgradeTitle = "Upgrade Now";
    static constexpr int cardWidth = 540;

    explicit UpgradePrompt(QWidget* parent = nullptr);

    void setTexts(const QString& installed, const QString& question, const QString& keeps);
    void setErrorMessage(const QString& message);
    void setInProgress(bool inProgress);
    // Shows or hides the prompt, fading while its window is on screen.
    void present(bool shown);

    WizardButton* cancelButton() const { return cancel_; }
    WizardButton* upgradeButton() const { return upgrade_; }
    QWidget* card() const { return card_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void fitCard();
    void fade(bool in);

    QWidget* card_;
    QLabel* installed_;
    QLabel* question_;
    QLabel* keeps_;
    SymbolText* error_;
    WizardButton* cancel_;
    WizardButton* upgrade_;
    bool leaving_ = false;
};

} // namespace quillstone
