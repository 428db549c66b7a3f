#include "setup/app/HeadlessSetupApp.h"

#include "platform/sdbus/SdBusConnection.h"
#include "platform/sdbus/SdEventChildProcessWatcher.h"
#include "platform/sdbus/SdEventMainQueue.h"
#include "setup/app/LaunchMode.h"
#include "setup/app/MonitorModeWiring.h"

namespace quillstone {

HeadlessSetupApp::HeadlessSetupApp()
    : mainQueue_(std::make_shared<SdEventMainQueue>(loop_.get())),
      childWatcher_(std::make_shared<SdEventChildProcessWatcher>(loop_.get())),
      sessionBus_(SdBusConnection::session(loop_.get())),
      delegate_(QuillstoneAppDelegate::Collaborators{
          .arguments = processArguments,
          .application = console_,
          .session = QuillstoneSetupSession::shared(),
          .registry = QuillstoneProcessRegistry::shared(),
          .launcher = launcher_,
          .clock = SystemClock::shared(),
          .monitor = makeMonitorModeHooks({mainQueue_, childWatcher_, sessionBus_,
                                           [event = loop_.get()] { return SdBusConnection::system(event); }}),
      }),
      reopen_([this] { return delegate_.applicationShouldHandleReopen(false); }) {}

HeadlessSetupApp::~HeadlessSetupApp() = default;

int HeadlessSetupApp::run() {
    loop_.handleTerminationSignals();
    delegate_.applicationWillFinishLaunching();
    delegate_.applicationDidFinishLaunching();
    if (delegate_.isMonitorMode()) {
        reopen_.registerOnSessionBus(sessionBus_);
    }
    loop_.run();
    delegate_.applicationWillTerminate();
    return 0;
}

} // namespace quillstone
