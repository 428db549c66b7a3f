#include "setup/app/MainThreadEventPump.h"
#include "setup/app/Quillstone_SetupApp.h"
#include "setup/app/TerminationSignals.h"
#include "setup/app/gui/WidgetWizardScene.h"

#include <QCoreApplication>

// The full setup program: the wizard, and (given the flag) the monitor too.
int main(int argc, char** argv) {
    using namespace quillstone;
    auto scene = std::make_shared<WidgetWizardScene>();
    auto application = Quillstone_SetupApp::makeApplication(argc, argv, scene.get());
    TerminationSignals terminationSignals;
    QuillstoneProcessRegistry::shared().setMainThreadEventPump(pumpMainThreadEvents);
    Quillstone_SetupApp::Environment environment;
    environment.scene = scene;
    Quillstone_SetupApp setupApp(std::move(environment));
    setupApp.launch();
    const int status = application->exec();
    // Background work (an update check in flight) ends while Qt is still there to end it.
    scene->tearDown();
    return status;
}
