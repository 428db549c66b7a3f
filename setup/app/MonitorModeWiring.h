#pragma once

#include "setup/app/MonitorModeHooks.h"

namespace quillstone {

// The monitor runtime with its default stores, as monitor mode runs it.
MonitorModeHooks makeMonitorModeHooks();

} // namespace quillstone
