#pragma once

#include <chrono>

namespace quillstone {

// Monotonic time and blocking pauses, handed in so that waits can be driven
// step by step in tests.
class Sleeper {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    virtual ~Sleeper() = default;
    virtual TimePoint now() const = 0;
    virtual void sleep(std::chrono::milliseconds duration) = 0;
};

class ThreadSleeper : public Sleeper {
public:
    static ThreadSleeper& shared();
    TimePoint now() const override;
    void sleep(std::chrono::milliseconds duration) override;
};

} // namespace quillstone
