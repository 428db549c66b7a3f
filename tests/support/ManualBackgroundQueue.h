#pragma once

#include "platform/BackgroundQueue.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace quillstone::testing {

// Background work that waits until the test runs it, in any order it chooses.
class ManualBackgroundQueue : public BackgroundQueue {
public:
    void run(std::function<void()> work) override { waiting_.push_back(std::move(work)); }

    std::size_t size() const { return waiting_.size(); }
    // Runs the item at the given position among those waiting; false when there is none.
    bool runAt(std::size_t index) {
        if (index >= waiting_.size()) {
            return false;
        }
        auto work = std::move(waiting_[index]);
        waiting_.erase(waiting_.begin() + static_cast<std::ptrdiff_t>(index));
        work();
        return true;
    }
    bool runNext() { return runAt(0); }

private:
    std::vector<std::function<void()>> waiting_;
};

} // namespace quillstone::testing
