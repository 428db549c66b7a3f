#include "setup/app/QuillstoneAppDelegate.h"

#include "platform/ReferenceDate.h"
#include "setup/app/LaunchMode.h"

namespace quillstone {

QuillstoneAppDelegate::QuillstoneAppDelegate(Collaborators collaborators) : collaborators_(std::move(collaborators)) {}

bool QuillstoneAppDelegate::isMonitorMode() const { return quillstone::isMonitorMode(collaborators_.arguments()); }

void QuillstoneAppDelegate::applicationWillFinishLaunching() {
    collaborators_.application.setAccessoryActivationPolicy();
}

void QuillstoneAppDelegate::applicationDidFinishLaunching() {
    if (isMonitorMode()) {
        monitorRuntime_ = true;
        if (collaborators_.monitor.start) {
            collaborators_.monitor.start();
        }
        return;
    }
    auto& session = collaborators_.session;
    session.writeRecord({.processIdentifier = static_cast<int32_t>(session.ownProcessIdentifier()),
                         .launchRequestedAt = {}});
    showMainWindow();
}

bool QuillstoneAppDelegate::applicationShouldHandleReopen(bool) {
    if (isMonitorMode()) {
        handOverReopen();
    } else {
        showMainWindow();
    }
    return true;
}

bool QuillstoneAppDelegate::applicationShouldTerminateAfterLastWindowClosed() const { return !isMonitorMode(); }

void QuillstoneAppDelegate::applicationWillTerminate() {
    if (!isMonitorMode()) {
        collaborators_.session.clearOwnRecord();
    }
    runCommonTerminationSteps();
}

void QuillstoneAppDelegate::registerMainWindow(std::shared_ptr<SetupWindow> window) {
    if (isMonitorMode()) {
        return;
    }
    mainWindow_ = std::move(window);
    showMainWindow();
}

void QuillstoneAppDelegate::showMainWindow() {
    if (isMonitorMode()) {
        return;
    }
    if (mainWindow_) {
        mainWindow_->deminiaturize();
        mainWindow_->makeKeyAndOrderFront();
    }
    collaborators_.application.activateIgnoringOtherApps();
}

void QuillstoneAppDelegate::openNewSetupInstance() {
    try {
        collaborators_.launcher.openNewInstance();
    } catch (const std::exception& error) {
        collaborators_.application.presentError(error.what());
    }
}

void QuillstoneAppDelegate::handOverReopen() {
    auto& session = collaborators_.session;
    if (session.activateRunningSetup()) {
        return;
    }
    const double now = secondsSinceReferenceDate(collaborators_.clock.now());
    if (auto record = session.readRecord(); record && record->launchRequestedAt) {
        // A request in the future (clock set back) counts as recent.
        if (now - *record->launchRequestedAt < launchRequestDebounceSeconds) {
            return;
        }
    }
    session.writeRecord({.processIdentifier = {}, .launchRequestedAt = now});
    openNewSetupInstance();
}

void QuillstoneAppDelegate::runCommonTerminationSteps() {
    if (monitorRuntime_) {
        if (collaborators_.monitor.stop) {
            collaborators_.monitor.stop();
        }
        monitorRuntime_ = false;
    }
    collaborators_.registry.terminateAll();
    if (mainWindow_) {
        mainWindow_->detachContentView();
        mainWindow_.reset();
    }
}

} // namespace quillstone
