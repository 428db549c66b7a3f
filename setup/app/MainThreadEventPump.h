#pragma once

#include <chrono>

namespace quillstone {

// Runs the Qt event loop of the calling (main) thread for the given time, so a
// command waited for on the main thread does not freeze the window or the bus.
void pumpMainThreadEvents(std::chrono::milliseconds duration);

} // namespace quillstone
