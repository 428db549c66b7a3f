#pragma once

#include "platform/BackgroundQueue.h"

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace quillstone {

// A private pool of threads for blocking work, started as work arrives.
// Destroying the queue waits for all work handed in, so end child processes
// first. Plain standard threads and locks, so ThreadSanitizer sees every
// hand-over.
class ThreadPoolBackgroundQueue : public BackgroundQueue {
public:
    explicit ThreadPoolBackgroundQueue(std::size_t maximumThreads = 8);
    ~ThreadPoolBackgroundQueue() override;
    ThreadPoolBackgroundQueue(const ThreadPoolBackgroundQueue&) = delete;
    ThreadPoolBackgroundQueue& operator=(const ThreadPoolBackgroundQueue&) = delete;

    void run(std::function<void()> work) override;

private:
    void serve();

    const std::size_t maximumThreads_;
    std::mutex mutex_;
    std::condition_variable available_;
    std::deque<std::function<void()>> work_;
    std::size_t idleThreads_ = 0;
    bool stopping_ = false;
    std::vector<std::thread> threads_;
};

} // namespace quillstone
