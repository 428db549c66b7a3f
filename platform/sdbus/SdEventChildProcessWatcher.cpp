#include "platform/sdbus/SdEventChildProcessWatcher.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/syscall.h>
#include <systemd/sd-event.h>
#include <unistd.h>

namespace quillstone {

struct SdEventChildProcessWatcher::Watch {
    SdEventChildProcessWatcher* owner = nullptr;
    std::shared_ptr<ChildProcess> child;
    std::size_t keptErrorBytes = 0;
    Ended ended;
    int processDescriptor = -1;
    sd_event_source* exitSource = nullptr;
    sd_event_source* errorSource = nullptr;
    std::string standardError;
    bool exited = false;
    bool errorClosed = false;
};

SdEventChildProcessWatcher::SdEventChildProcessWatcher(sd_event* event) : event_(sd_event_ref(event)) {}

SdEventChildProcessWatcher::~SdEventChildProcessWatcher() {
    for (auto& [child, watch] : watches_) {
        release(*watch);
    }
    sd_event_unref(event_);
}

void SdEventChildProcessWatcher::watch(std::shared_ptr<ChildProcess> child, std::size_t keptErrorBytes,
                                       Ended ended) {
    auto watch = std::make_unique<Watch>();
    watch->owner = this;
    watch->child = child;
    watch->keptErrorBytes = keptErrorBytes;
    watch->ended = std::move(ended);
    watch->processDescriptor = static_cast<int>(::syscall(SYS_pidfd_open, child->processIdentifier(), 0));
    int failure = watch->processDescriptor < 0 ? -errno : 0;
    if (failure == 0) {
        failure = sd_event_add_io(event_, &watch->exitSource, watch->processDescriptor, EPOLLIN,
                                  &SdEventChildProcessWatcher::onExit, watch.get());
    }
    const int errorPipe = child->standardErrorDescriptor();
    watch->errorClosed = errorPipe < 0;
    if (failure == 0 && errorPipe >= 0) {
        ::fcntl(errorPipe, F_SETFL, ::fcntl(errorPipe, F_GETFL) | O_NONBLOCK);
        failure = sd_event_add_io(event_, &watch->errorSource, errorPipe, EPOLLIN, &SdEventChildProcessWatcher::onError,
                                  watch.get());
    }
    if (failure < 0) {
        release(*watch);
        throw ProcessLaunchError(-failure, child->executable());
    }
    watches_.emplace(child.get(), std::move(watch));
}

void SdEventChildProcessWatcher::forget(const ChildProcess& child) {
    auto found = watches_.find(&child);
    if (found != watches_.end()) {
        release(*found->second);
        watches_.erase(found);
    }
}

int SdEventChildProcessWatcher::onExit(sd_event_source*, int, unsigned, void* userdata) {
    auto& watch = *static_cast<Watch*>(userdata);
    watch.exited = true;
    sd_event_source_set_enabled(watch.exitSource, SD_EVENT_OFF);
    watch.owner->finishIfDone(watch);
    return 0;
}

int SdEventChildProcessWatcher::onError(sd_event_source*, int descriptor, unsigned, void* userdata) {
    auto& watch = *static_cast<Watch*>(userdata);
    char buffer[16384];
    for (;;) {
        const ssize_t got = ::read(descriptor, buffer, sizeof buffer);
        if (got > 0) {
            const std::size_t room = watch.keptErrorBytes - std::min(watch.keptErrorBytes, watch.standardError.size());
            watch.standardError.append(buffer, std::min<std::size_t>(room, static_cast<std::size_t>(got)));
            continue;
        }
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got < 0 && errno == EAGAIN) {
            return 0;
        }
        break; // end of output, or an error that ends it
    }
    watch.errorClosed = true;
    sd_event_source_set_enabled(watch.errorSource, SD_EVENT_OFF);
    watch.owner->finishIfDone(watch);
    return 0;
}

void SdEventChildProcessWatcher::finishIfDone(Watch& watch) {
    if (!watch.exited || !watch.errorClosed) {
        return;
    }
    watch.child->waitUntilExit();
    auto found = watches_.find(watch.child.get());
    std::unique_ptr<Watch> finished = std::move(found->second);
    watches_.erase(found);
    release(*finished);
    finished->ended(*finished->child, std::move(finished->standardError));
}

void SdEventChildProcessWatcher::release(Watch& watch) {
    watch.exitSource = sd_event_source_disable_unref(watch.exitSource);
    watch.errorSource = sd_event_source_disable_unref(watch.errorSource);
    if (watch.processDescriptor >= 0) {
        ::close(watch.processDescriptor);
        watch.processDescriptor = -1;
    }
}

} // namespace quillstone
