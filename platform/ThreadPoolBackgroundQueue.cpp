#include "platform/ThreadPoolBackgroundQueue.h"

#include <algorithm>

namespace quillstone {

ThreadPoolBackgroundQueue::ThreadPoolBackgroundQueue(std::size_t maximumThreads)
    : maximumThreads_(std::max<std::size_t>(maximumThreads, 1)) {}

ThreadPoolBackgroundQueue::~ThreadPoolBackgroundQueue() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    available_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void ThreadPoolBackgroundQueue::run(std::function<void()> work) {
    std::lock_guard lock(mutex_);
    work_.push_back(std::move(work));
    // Blocking work mostly waits on children, so more threads than cores is fine.
    if (idleThreads_ < work_.size() && threads_.size() < maximumThreads_) {
        threads_.emplace_back([this] { serve(); });
    }
    available_.notify_one();
}

void ThreadPoolBackgroundQueue::serve() {
    std::unique_lock lock(mutex_);
    for (;;) {
        ++idleThreads_;
        available_.wait(lock, [this] { return stopping_ || !work_.empty(); });
        --idleThreads_;
        if (work_.empty()) {
            return;
        }
        std::function<void()> work = std::move(work_.front());
        work_.pop_front();
        lock.unlock();
        work();
        lock.lock();
    }
}

} // namespace quillstone
