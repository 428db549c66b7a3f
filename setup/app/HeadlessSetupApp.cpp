#include "setup/app/HeadlessSetupApp.h"

#include "platform/ProcRunningApplications.h"
#include "platform/sdbus/SdBusApplicationActivator.h"
#include "platform/sdbus/SdBusConnection.h"
#include "platform/sdbus/SdEventChildProcessWatcher.h"
#include "platform/sdbus/SdEventMainQueue.h"
#include "setup/app/LaunchMode.h"
#include "setup/app/MonitorModeWiring.h"
#include "setup/app/WizardBusName.h"

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
    // The reopen hand-over brings a running wizard forward through its own bus name; only its owner counts.
    ProcRunningApplications::shared().setActivator(
        [bus = sessionBus_, activator = SdBusApplicationActivator(WizardBusName::serviceName,
                                                                   WizardBusName::objectPath)](
            const RunningApplication& running) {
            return bus && running.bundleIdentifier == QuillstoneSetupSession::setupBundleIdentifier &&
                   activator.activate(bus->get(), running.processIdentifier);
        });
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
