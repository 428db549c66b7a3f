#include "setup/app/MainThreadEventPump.h"
#include "setup/app/Quillstone_SetupApp.h"
#include "setup/app/TerminationSignals.h"

int main(int argc, char** argv) {
    using namespace quillstone;
    auto application = Quillstone_SetupApp::makeApplication(argc, argv);
    TerminationSignals terminationSignals;
    QuillstoneProcessRegistry::shared().setMainThreadEventPump(pumpMainThreadEvents);
    Quillstone_SetupApp setupApp;
    setupApp.launch();
    return application->exec();
}
