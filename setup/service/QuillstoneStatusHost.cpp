#include "setup/service/QuillstoneStatusHost.h"

#include "setup/service/SD4MonitorServiceError.h"

namespace quillstone {

using Code = SD4MonitorServiceError::Code;

QuillstoneStatusHost::QuillstoneStatusHost(Collaborators collaborators) : with_(std::move(collaborators)) {}

std::filesystem::path QuillstoneStatusHost::embeddedBundleURL() const {
    return with_.mainBundle.contents() / "Library" / "LoginItems" / embeddedBundleName;
}

void QuillstoneStatusHost::registerStatusHost() {
    forceTerminateStatusApps();
    if (with_.loginItems.status(bundleIdentifier) == LoginItemStatus::enabled) {
        with_.loginItems.unregisterItem(bundleIdentifier);
    }
    with_.loginItems.registerItem(bundleIdentifier);
    if (waitForStatusApp(launchTimeout)) {
        return;
    }
    openStatusAppDirectly();
    if (!waitForStatusApp(launchTimeout)) {
        throw SD4MonitorServiceError(Code::statusHostLaunchFailed);
    }
}

void QuillstoneStatusHost::unregisterStatusHost() {
    std::exception_ptr failure;
    if (with_.loginItems.status(bundleIdentifier) != LoginItemStatus::notRegistered) {
        try {
            with_.loginItems.unregisterItem(bundleIdentifier);
        } catch (...) {
            failure = std::current_exception();
        }
    }
    forceTerminateStatusApps();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

bool QuillstoneStatusHost::isStatusHostInstalled() {
    return with_.loginItems.status(bundleIdentifier) != LoginItemStatus::notRegistered || isStatusAppRunning();
}

void QuillstoneStatusHost::openStatusAppDirectly() {
    std::filesystem::path bundle = embeddedBundleURL();
    if (!with_.fileManager.fileExists(bundle)) {
        throw SD4MonitorServiceError(Code::missingStatusHost);
    }
    if (!with_.commandRunner.run(with_.openTool, {openInBackgroundArgument, bundle.string()}, true)) {
        throw SD4MonitorServiceError(Code::statusHostLaunchFailed);
    }
}

bool QuillstoneStatusHost::waitForStatusApp(std::chrono::milliseconds timeout) {
    const auto deadline = with_.sleeper.now() + timeout;
    do {
        if (isStatusAppRunning()) {
            return true;
        }
        with_.sleeper.sleep(pollInterval);
    } while (with_.sleeper.now() < deadline);
    return false;
}

void QuillstoneStatusHost::forceTerminateStatusApps() {
    terminated_.clear();
    for (const auto& application : with_.runningApplications.withBundleIdentifier(bundleIdentifier)) {
        if (with_.runningApplications.forceTerminate(application)) {
            terminated_.insert(application.processIdentifier);
        }
    }
}

bool QuillstoneStatusHost::isStatusAppRunning() {
    for (const auto& application : with_.runningApplications.withBundleIdentifier(bundleIdentifier)) {
        if (!terminated_.contains(application.processIdentifier)) {
            return true;
        }
    }
    return false;
}

} // namespace quillstone
