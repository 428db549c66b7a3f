#pragma once

#include "platform/BackgroundQueue.h"

#include <memory>

class QThreadPool;

namespace quillstone {

// A private pool of low-priority threads for blocking work. Destroying the
// queue waits for the work already started, so end child processes first.
class QtBackgroundQueue : public BackgroundQueue {
public:
    explicit QtBackgroundQueue(int maximumThreads = 8);
    ~QtBackgroundQueue() override;
    QtBackgroundQueue(const QtBackgroundQueue&) = delete;
    QtBackgroundQueue& operator=(const QtBackgroundQueue&) = delete;

    void run(std::function<void()> work) override;

private:
    std::unique_ptr<QThreadPool> pool_;
};

} // namespace quillstone
