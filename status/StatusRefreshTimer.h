#pragma once

#include <chrono>
#include <functional>

namespace quillstone {

// A repeating timer on the main thread. The app backs it with a QTimer; tests tick it by hand.
class StatusRefreshTimer {
public:
    virtual ~StatusRefreshTimer() = default;
    // Calls tick every interval from now on, until stop() or destruction.
    virtual void start(std::chrono::milliseconds interval, std::function<void()> tick) = 0;
    virtual void stop() = 0;
};

} // namespace quillstone
