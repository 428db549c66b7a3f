#include "platform/qt/QtBackgroundQueue.h"

#include <QThread>
#include <QThreadPool>

namespace quillstone {

QtBackgroundQueue::QtBackgroundQueue(int maximumThreads) : pool_(std::make_unique<QThreadPool>()) {
    // Blocking work mostly waits on children, so more threads than cores is fine.
    pool_->setMaxThreadCount(maximumThreads);
    pool_->setThreadPriority(QThread::LowPriority);
}

QtBackgroundQueue::~QtBackgroundQueue() { pool_->waitForDone(); }

void QtBackgroundQueue::run(std::function<void()> work) { pool_->start(std::move(work)); }

} // namespace quillstone
