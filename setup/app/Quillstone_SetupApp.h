#pragma once

#include "platform/Clock.h"
#include "setup/app/BundleSetupInstanceLauncher.h"
#include "setup/app/LaunchMode.h"
#include "setup/app/MonitorModeWiring.h"
#include "setup/app/QtApplicationControl.h"
#include "setup/app/QuillstoneAppDelegate.h"
#include "setup/app/ReopenDBusService.h"
#include "setup/model/QuillstoneConfigurationStore.h"

#include <QCoreApplication>
#include <QWidget>
#include <memory>

namespace quillstone {

// The setup program on Qt: one delegate, and either the wizard's window or,
// in monitor mode, nothing visible at all.
class Quillstone_SetupApp {
public:
    static constexpr const char* windowTitle = "Quillstone";
    static constexpr int defaultWidth = 940;
    static constexpr int defaultHeight = 720;

    struct Environment {
        std::function<std::vector<std::string>()> arguments = processArguments;
        MonitorModeHooks monitor = makeMonitorModeHooks();
        QuillstoneSetupSession& session = QuillstoneSetupSession::shared();
        QuillstoneProcessRegistry& registry = QuillstoneProcessRegistry::shared();
        const Clock& clock = SystemClock::shared();
    };

    // A display-free QCoreApplication in monitor mode, a QApplication otherwise.
    static std::unique_ptr<QCoreApplication> makeApplication(int& argc, char** argv);

    Quillstone_SetupApp();
    explicit Quillstone_SetupApp(Environment environment);
    ~Quillstone_SetupApp();
    Quillstone_SetupApp(const Quillstone_SetupApp&) = delete;
    Quillstone_SetupApp& operator=(const Quillstone_SetupApp&) = delete;

    // Runs the launch callbacks and builds the scene; the application object must exist.
    void launch();

    QuillstoneAppDelegate& appDelegate() { return _appDelegate; }
    QWidget* window() const { return window_.get(); }

private:
    void buildWizardWindow();

    QtApplicationControl applicationControl_;
    BundleSetupInstanceLauncher launcher_;
    QuillstoneAppDelegate _appDelegate;
    QuillstoneConfigurationStore configurationStore_;
    std::unique_ptr<QWidget> window_;
    std::unique_ptr<ReopenDBusService> reopenService_;
    std::vector<QMetaObject::Connection> connections_;
};

} // namespace quillstone
