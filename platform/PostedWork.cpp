#include "platform/PostedWork.h"

namespace quillstone {

void PostedWork::add(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    posted_.push_back(std::move(work));
}

void PostedWork::runAll() {
    std::deque<std::function<void()>> ready;
    {
        std::lock_guard lock(mutex_);
        ready.swap(posted_);
    }
    for (std::function<void()>& work : ready) {
        work();
    }
}

} // namespace quillstone
