#pragma once

#include "platform/MainQueue.h"
#include "platform/PostedWork.h"

#include <memory>

class QObject;

namespace quillstone {

// Posts to the application's event loop on the main thread. Work posted when
// no application object exists (or after it is gone) is dropped. The work
// itself passes through a standard lock, so ThreadSanitizer sees the hand-over
// that Qt's own event queue hides from it. Create it on the main thread.
class QtMainQueue : public MainQueue {
public:
    QtMainQueue();
    ~QtMainQueue() override;
    QtMainQueue(const QtMainQueue&) = delete;
    QtMainQueue& operator=(const QtMainQueue&) = delete;

    void post(std::function<void()> work) override;

private:
    std::unique_ptr<QObject> receiver_;
    PostedWork posted_;
};

} // namespace quillstone
