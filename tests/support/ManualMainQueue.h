#pragma once

#include "platform/MainQueue.h"

#include <cstddef>
#include <deque>
#include <functional>

namespace quillstone::testing {

// A main queue the test turns by hand, so interleavings are deterministic.
class ManualMainQueue : public MainQueue {
public:
    void post(std::function<void()> work) override { queue_.push_back(std::move(work)); }

    std::size_t size() const { return queue_.size(); }
    // Runs the oldest item; false when there was none.
    bool runNext() {
        if (queue_.empty()) {
            return false;
        }
        auto work = std::move(queue_.front());
        queue_.pop_front();
        work();
        return true;
    }
    // Runs until empty, including what the items post; returns how many ran.
    std::size_t runAll() {
        std::size_t count = 0;
        while (runNext()) {
            ++count;
        }
        return count;
    }

private:
    std::deque<std::function<void()>> queue_;
};

} // namespace quillstone::testing
