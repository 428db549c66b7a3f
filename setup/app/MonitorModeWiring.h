#pragma once

#include "setup/app/MonitorModeHooks.h"

#include <functional>
#include <memory>

namespace quillstone {

class ChildProcessWatcher;
class MainQueue;
class SdBusConnection;

// What monitor mode runs on: the loop's main queue and child watcher, the
// session bus (may be nullptr) and a way to reach the system bus for wake events.
struct MonitorModeChannels {
    std::shared_ptr<MainQueue> mainQueue;
    std::shared_ptr<ChildProcessWatcher> childWatcher;
    std::shared_ptr<SdBusConnection> sessionBus;
    std::function<std::shared_ptr<SdBusConnection>()> openSystemBus;
};

// The monitor runtime with its default stores, as monitor mode runs it.
MonitorModeHooks makeMonitorModeHooks(MonitorModeChannels channels);

} // namespace quillstone
