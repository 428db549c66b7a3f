#pragma once

#include <QWidget>
#include <array>
#include <memory>

class QScrollArea;
class QStackedWidget;

namespace quillstone {

class ApplicationActivation;
class ContentView;
class SetupGlassBackground;
class UpgradePrompt;
class WizardAlerts;
class WizardFooter;
class WizardScreen;
class WizardStepColumn;
class WizardTopBar;

// The wizard's window content: top bar, step column, the current screen and
// the footer over the glass background, with the upgrade prompt above them.
// It draws the state and hands every click to it, asks once for an update
// when it is first shown, and has the state re-read whenever the application
// becomes active.
class WizardWindow : public QWidget {
public:
    enum Screen { welcome, integration, statusFolder, sd4Activation, classicInstallation, nextSteps, screenCount };

    WizardWindow(ContentView& view, bool translucent, QWidget* parent = nullptr);
    ~WizardWindow() override;

    // Redraws everything from the state.
    void refresh();

    WizardTopBar* topBar() const { return topBar_; }
    WizardStepColumn* stepColumn() const { return stepColumn_; }
    WizardFooter* footer() const { return footer_; }
    UpgradePrompt* upgradePrompt() const { return prompt_; }
    WizardAlerts& alerts() const { return *alerts_; }
    WizardScreen* screen(Screen screen) const { return screens_[screen]; }
    Screen currentScreen() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void keepResultInView(Screen screen);

    ContentView& view_;
    SetupGlassBackground* background_;
    QWidget* content_;
    WizardTopBar* topBar_;
    WizardStepColumn* stepColumn_;
    QStackedWidget* stack_;
    std::array<WizardScreen*, screenCount> screens_{};
    std::array<QScrollArea*, screenCount> areas_{};
    std::array<QString, screenCount> shownResults_;
    WizardFooter* footer_;
    UpgradePrompt* prompt_;
    std::unique_ptr<WizardAlerts> alerts_;
    std::unique_ptr<ApplicationActivation> activation_;
    bool shownOnce_ = false;
};

} // namespace quillstone
