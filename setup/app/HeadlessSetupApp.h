#pragma once

#include "platform/Clock.h"
#include "platform/sdbus/SdEventLoop.h"
#include "setup/app/BundleSetupInstanceLauncher.h"
#include "setup/app/ConsoleApplicationControl.h"
#include "setup/app/QuillstoneAppDelegate.h"
#include "setup/app/ReopenDBusService.h"

#include <functional>
#include <memory>

namespace quillstone {

class SdBusConnection;
class SdEventChildProcessWatcher;
class SdEventMainQueue;

// The setup program without any GUI library, as the LaunchAgent starts it:
// the delegate in monitor mode on an sd-event loop, answering Reopen on the
// session bus, until SIGTERM or SIGINT.
class HeadlessSetupApp {
public:
    HeadlessSetupApp();
    ~HeadlessSetupApp();
    HeadlessSetupApp(const HeadlessSetupApp&) = delete;
    HeadlessSetupApp& operator=(const HeadlessSetupApp&) = delete;

    // Launch callbacks, the loop, then the termination steps; the exit status.
    int run();

private:
    SdEventLoop loop_;
    std::shared_ptr<SdEventMainQueue> mainQueue_;
    std::shared_ptr<SdEventChildProcessWatcher> childWatcher_;
    std::shared_ptr<SdBusConnection> sessionBus_;
    ConsoleApplicationControl console_;
    BundleSetupInstanceLauncher launcher_;
    QuillstoneAppDelegate delegate_;
    ReopenDBusService reopen_;
};

} // namespace quillstone
