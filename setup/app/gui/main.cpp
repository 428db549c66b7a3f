#include "setup/app/LaunchMode.h"
#include "setup/app/MainThreadEventPump.h"
#include "setup/app/Quillstone_SetupApp.h"
#include "setup/app/QuitRequest.h"
#include "setup/app/TerminationSignals.h"
#include "setup/app/WizardInstanceService.h"
#include "setup/app/gui/WidgetWizardScene.h"

#include <QCoreApplication>
#include <iostream>

namespace {

constexpr const char* alreadyRunningFailure = "Quillstone Setup is already running but did not answer.";

} // namespace

// The full setup program: the wizard, and (given the flag) the monitor too.
int main(int argc, char** argv) {
    using namespace quillstone;
    // The program's own argument list, before the toolkit takes its options out.
    const std::vector<std::string> arguments(argv, argv + argc);
    const bool monitorMode = isMonitorMode(arguments);
    auto scene = std::make_shared<WidgetWizardScene>();
    auto application = Quillstone_SetupApp::makeApplication(argc, argv, scene.get());

    // One wizard per user: claim the name before any window exists; if another
    // wizard holds it, bring that one forward and leave. No bus, no claim: the
    // wizard still runs.
    Quillstone_SetupApp* running = nullptr;
    WizardInstanceService instance([&running](const WizardInstanceService::PlatformData& data) {
        if (running != nullptr) {
            running->activate(data);
        }
    });
    for (int attempt = 0; !monitorMode && attempt < 3; ++attempt) {
        if (instance.registerOnSessionBus() != WizardInstanceService::Registration::taken) {
            break;
        }
        if (WizardInstanceService::activateRunningInstance(WizardInstanceService::launchPlatformData())) {
            return 0;
        }
        if (attempt == 2) {
            // The owner holds the name but never answers: a second window would be worse.
            std::cerr << alreadyRunningFailure << std::endl;
            return 1;
        }
    }

    TerminationSignals terminationSignals(QuitRequest::record);
    QuillstoneProcessRegistry::shared().setMainThreadEventPump(pumpMainThreadEvents, QuitRequest::isRequested);
    Quillstone_SetupApp::Environment environment;
    environment.arguments = [arguments] { return arguments; };
    environment.scene = scene;
    Quillstone_SetupApp setupApp(std::move(environment));
    running = &setupApp;
    setupApp.launch();
    const int status = application->exec();
    running = nullptr;
    // Background work (an update check in flight) ends while Qt is still there to end it.
    scene->tearDown();
    return status;
}
