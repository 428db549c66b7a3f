#pragma once

#include <functional>

namespace quillstone {

// Runs blocking work (child processes, network) off the main thread. The work
// must not throw and must hand its result back through the MainQueue.
class BackgroundQueue {
public:
    virtual ~BackgroundQueue() = default;
    virtual void run(std::function<void()> work) = 0;
};

} // namespace quillstone
