#include "platform/Sleeper.h"

#include <thread>

namespace quillstone {

ThreadSleeper& ThreadSleeper::shared() {
    static ThreadSleeper sleeper;
    return sleeper;
}

Sleeper::TimePoint ThreadSleeper::now() const { return std::chrono::steady_clock::now(); }

void ThreadSleeper::sleep(std::chrono::milliseconds duration) { std::this_thread::sleep_for(duration); }

} // namespace quillstone
