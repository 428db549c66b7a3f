#pragma once

#include "platform/MainQueue.h"
#include "platform/PostedWork.h"

struct sd_event;
struct sd_event_source;

namespace quillstone {

// The main queue on an sd-event loop: posting from any thread wakes the loop
// through an eventfd; the work runs on the loop's thread, in posting order,
// whenever nothing else of the loop is ready.
class SdEventMainQueue : public MainQueue {
public:
    explicit SdEventMainQueue(sd_event* event);
    ~SdEventMainQueue() override;
    SdEventMainQueue(const SdEventMainQueue&) = delete;
    SdEventMainQueue& operator=(const SdEventMainQueue&) = delete;

    void post(std::function<void()> work) override;

private:
    static int onWakeUp(sd_event_source* source, int descriptor, unsigned events, void* userdata);

    int wakeUp_ = -1;
    sd_event_source* source_ = nullptr;
    PostedWork posted_;
};

} // namespace quillstone
