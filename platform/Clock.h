#pragma once

#include <chrono>

namespace quillstone {

using TimePoint = std::chrono::system_clock::time_point;

// Wall-clock time, handed in so tests can fix it.
class Clock {
public:
    virtual ~Clock() = default;
    virtual TimePoint now() const = 0;
};

class SystemClock : public Clock {
public:
    static SystemClock& shared();
    TimePoint now() const override { return std::chrono::system_clock::now(); }
};

// A clock that only moves when told to.
class ManualClock : public Clock {
public:
    explicit ManualClock(TimePoint start) : now_(start) {}
    TimePoint now() const override { return now_; }
    void set(TimePoint value) { now_ = value; }
    void advance(std::chrono::system_clock::duration by) { now_ += by; }

private:
    TimePoint now_;
};

} // namespace quillstone
