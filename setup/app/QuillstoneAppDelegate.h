#pragma once

#include "platform/Clock.h"
#include "setup/app/ApplicationControl.h"
#include "setup/app/MonitorModeHooks.h"
#include "setup/app/QuillstoneSetupSession.h"
#include "setup/app/SetupInstanceLauncher.h"
#include "setup/app/SetupWindow.h"
#include "setup/service/QuillstoneProcessRegistry.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quillstone {

// The setup program's application delegate: picks the mode from the argument
// list at every decision, starts the monitor or shows the wizard, hands reopen
// requests of a monitor-mode process to a wizard, and cleans up at the end.
// Lives on the main thread.
class QuillstoneAppDelegate {
public:
    // A new instance was requested this recently: do not open a second one.
    static constexpr double launchRequestDebounceSeconds = 5.0;

    struct Collaborators {
        std::function<std::vector<std::string>()> arguments;
        ApplicationControl& application;
        QuillstoneSetupSession& session;
        QuillstoneProcessRegistry& registry;
        SetupInstanceLauncher& launcher;
        const Clock& clock;
        MonitorModeHooks monitor;
    };

    explicit QuillstoneAppDelegate(Collaborators collaborators);

    bool isMonitorMode() const;

    void applicationWillFinishLaunching();
    void applicationDidFinishLaunching();
    bool applicationShouldHandleReopen(bool hasVisibleWindows);
    bool applicationShouldTerminateAfterLastWindowClosed() const;
    void applicationWillTerminate();

    void registerMainWindow(std::shared_ptr<SetupWindow> window);
    void showMainWindow();
    void openNewSetupInstance();

    bool isMonitorRunning() const { return monitorRuntime_; }
    const std::shared_ptr<SetupWindow>& mainWindow() const { return mainWindow_; }

private:
    void handOverReopen();
    void runCommonTerminationSteps();

    Collaborators collaborators_;
    bool monitorRuntime_ = false;
    std::shared_ptr<SetupWindow> mainWindow_;
};

} // namespace quillstone
