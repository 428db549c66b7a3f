#pragma once

#include <chrono>

namespace quillstone {

// Runs the Qt event loop of the calling (main) thread for the given time, so a
// command waited for on the main thread does not freeze the window or the bus.
// A loop ended early by the application's exit is recorded as a QuitRequest.
void pumpMainThreadEvents(std::chrono::milliseconds duration);

} // namespace quillstone
