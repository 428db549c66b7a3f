#include "setup/app/MonitorModeWiring.h"

namespace quillstone {

MonitorModeHooks makeMonitorModeHooks() {
    // The SD4 monitor runtime is wired here: start builds it from the default
    // configuration store, run ledger, pending run store and status writer and
    // starts it; stop stops it. Until then monitor mode stays alive and idle.
    return MonitorModeHooks{[] {}, [] {}};
}

} // namespace quillstone
