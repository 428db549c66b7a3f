#pragma once

#include "platform/MainQueue.h"

namespace quillstone {

// Posts to the application's event loop on the main thread. Work posted when
// no application object exists (or after it is gone) is dropped.
class QtMainQueue : public MainQueue {
public:
    void post(std::function<void()> work) override;
};

} // namespace quillstone
