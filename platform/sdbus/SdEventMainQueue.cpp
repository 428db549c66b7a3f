#include "platform/sdbus/SdEventMainQueue.h"

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <string>
#include <sys/eventfd.h>
#include <systemd/sd-event.h>
#include <unistd.h>

namespace quillstone {

SdEventMainQueue::SdEventMainQueue(sd_event* event) : wakeUp_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (wakeUp_ < 0) {
        throw std::runtime_error(std::string("eventfd: ") + std::strerror(errno));
    }
    if (int failure = sd_event_add_io(event, &source_, wakeUp_, EPOLLIN, &SdEventMainQueue::onWakeUp, this);
        failure < 0) {
        ::close(wakeUp_);
        throw std::runtime_error(std::string("sd_event_add_io: ") + std::strerror(-failure));
    }
    // Posted work waits until the bus has handed over what it holds, so the
    // work of a burst of notifications runs, and is saved, together.
    sd_event_source_set_priority(source_, SD_EVENT_PRIORITY_IDLE);
}

SdEventMainQueue::~SdEventMainQueue() {
    sd_event_source_disable_unref(source_);
    ::close(wakeUp_);
}

void SdEventMainQueue::post(std::function<void()> work) {
    posted_.add(std::move(work));
    // A wake-up may find its work already run by an earlier one; none is ever missing.
    const uint64_t one = 1;
    [[maybe_unused]] ssize_t ignored = ::write(wakeUp_, &one, sizeof one);
}

int SdEventMainQueue::onWakeUp(sd_event_source*, int descriptor, unsigned, void* userdata) {
    uint64_t count = 0;
    [[maybe_unused]] ssize_t ignored = ::read(descriptor, &count, sizeof count);
    static_cast<SdEventMainQueue*>(userdata)->posted_.runAll();
    return 0;
}

} // namespace quillstone
