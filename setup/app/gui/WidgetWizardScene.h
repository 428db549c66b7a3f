#pragma once

#include "setup/app/WizardScene.h"
#include "setup/app/gui/QtApplicationControl.h"

#include <QMetaObject>
#include <QWidget>
#include <memory>

namespace quillstone {

// The wizard on Qt Widgets: a QApplication and one 940 by 720 window hosting
// ContentView, with the registration view behind it.
class WidgetWizardScene : public WizardScene {
public:
    static constexpr const char* windowTitle = "Quillstone";
    static constexpr int defaultWidth = 940;
    static constexpr int defaultHeight = 720;

    ~WidgetWizardScene() override;

    std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) override;
    ApplicationControl& applicationControl() override { return applicationControl_; }
    void present(QuillstoneAppDelegate& delegate, QuillstoneConfigurationStore& configurationStore) override;

    QWidget* window() const { return window_.get(); }

private:
    QtApplicationControl applicationControl_;
    std::unique_ptr<QWidget> window_;
    QMetaObject::Connection lastWindowClosed_;
};

} // namespace quillstone
