#pragma once

#include "platform/Clock.h"
#include "setup/app/BundleSetupInstanceLauncher.h"
#include "setup/app/LaunchMode.h"
#include "setup/app/ConsoleApplicationControl.h"
#include "setup/app/QuillstoneAppDelegate.h"
#include "setup/app/WizardInstanceService.h"
#include "setup/app/WizardScene.h"
#include "setup/model/QuillstoneConfigurationStore.h"

#include <QCoreApplication>
#include <memory>

namespace quillstone {

// The setup program on Qt: one delegate, and either the wizard's window (from
// the wizard scene) or, in monitor mode, nothing visible at all.
class Quillstone_SetupApp {
public:
    struct Environment {
        std::function<std::vector<std::string>()> arguments = processArguments;
        // The monitor runs in the headless program (see makeApplication); tests may hand in hooks.
        MonitorModeHooks monitor = {};
        QuillstoneSetupSession& session = QuillstoneSetupSession::shared();
        QuillstoneProcessRegistry& registry = QuillstoneProcessRegistry::shared();
        const Clock& clock = SystemClock::shared();
        // Absent in the headless program, which then never shows a window.
        std::shared_ptr<WizardScene> scene;
    };

    // Keeps argv as the process's arguments first. In monitor mode the process
    // becomes the headless program beside it (same arguments), which links no
    // GUI library; it does not return then. A display-free QCoreApplication
    // without a scene, the scene's otherwise.
    static std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv, WizardScene* scene);

    Quillstone_SetupApp();
    explicit Quillstone_SetupApp(Environment environment);
    ~Quillstone_SetupApp();
    Quillstone_SetupApp(const Quillstone_SetupApp&) = delete;
    Quillstone_SetupApp& operator=(const Quillstone_SetupApp&) = delete;

    // Runs the launch callbacks and builds the scene; the application object must exist.
    void launch();

    // Another launch asked this wizard to come forward (the desktop's activation).
    void activate(const WizardInstanceService::PlatformData& platformData);

    QuillstoneAppDelegate& appDelegate() { return _appDelegate; }

private:
    QuillstoneSetupSession& session_;
    ConsoleApplicationControl consoleControl_;
    std::shared_ptr<WizardScene> scene_;
    BundleSetupInstanceLauncher launcher_;
    QuillstoneAppDelegate _appDelegate;
    QuillstoneConfigurationStore configurationStore_;
    std::vector<QMetaObject::Connection> connections_;
};

} // namespace quillstone
