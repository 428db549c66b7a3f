#pragma once

#include "setup/app/WizardScene.h"
#include "setup/app/gui/QtApplicationControl.h"
#include "setup/app/gui/QtFolderChooser.h"

#include <QMetaObject>
#include <QWidget>
#include <memory>

namespace quillstone {

class ContentView;
class ContentViewEnvironment;
class WizardWindow;

// The wizard on Qt Widgets: a QApplication and one 940 by 720 window hosting
// the wizard's widgets, with the registration view behind them.
class WidgetWizardScene : public WizardScene {
public:
    static constexpr const char* windowTitle = "Quillstone";
    static constexpr const char* iconResource = "quillstone.svg";
    static constexpr int defaultWidth = 940;
    static constexpr int defaultHeight = 720;

    WidgetWizardScene();
    ~WidgetWizardScene() override;

    std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) override;
    ApplicationControl& applicationControl() override { return applicationControl_; }
    void present(QuillstoneAppDelegate& delegate, QuillstoneConfigurationStore& configurationStore) override;

    // The window, the state and its collaborators, in that order; before the application object goes.
    void tearDown();

    QWidget* window() const { return window_.get(); }
    ContentView* contentView() const { return view_.get(); }

private:
    QtApplicationControl applicationControl_;
    QtFolderChooser folderChooser_;
    std::unique_ptr<ContentViewEnvironment> environment_;
    std::unique_ptr<ContentView> view_;
    std::unique_ptr<QWidget> window_;
    QMetaObject::Connection lastWindowClosed_;
};

} // namespace quillstone
