#pragma once

#include <deque>
#include <functional>
#include <mutex>

namespace quillstone {

// Work handed over from any thread, run in posting order by whoever drains it.
// A drain runs only what was posted before it began; work posted meanwhile waits
// for the next one.
class PostedWork {
public:
    void add(std::function<void()> work);
    void runAll();

private:
    std::mutex mutex_;
    std::deque<std::function<void()>> posted_;
};

} // namespace quillstone
