#pragma once

#include "setup/app/ApplicationControl.h"

#include <memory>

class QCoreApplication;

namespace quillstone {

class QuillstoneAppDelegate;
class QuillstoneConfigurationStore;

// What wizard mode adds on top of the headless program: a GUI application
// object and the wizard's window. Kept behind this seam so that the monitor,
// which never shows anything, does not load any GUI library.
class WizardScene {
public:
    virtual ~WizardScene() = default;

    virtual std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv) = 0;
    virtual ApplicationControl& applicationControl() = 0;
    // After launch in wizard mode: builds and registers the window, and quits
    // on the last window closing whenever the delegate says so.
    virtual void present(QuillstoneAppDelegate& delegate, QuillstoneConfigurationStore& configurationStore) = 0;
};

} // namespace quillstone
