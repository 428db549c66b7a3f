#pragma once

#include <functional>

namespace quillstone {

// The main thread's queue: work posted here runs later, in order, on the main
// thread. Safe to call from any thread.
class MainQueue {
public:
    virtual ~MainQueue() = default;
    virtual void post(std::function<void()> work) = 0;
};

} // namespace quillstone
