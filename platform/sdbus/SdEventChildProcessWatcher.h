#pragma once

#include "platform/ChildProcessWatcher.h"

#include <map>

struct sd_event;
struct sd_event_source;

namespace quillstone {

// Children watched by the sd-event loop: a pidfd tells when one exits, and
// its error pipe is drained as it fills. No thread and no signal mask needed.
class SdEventChildProcessWatcher : public ChildProcessWatcher {
public:
    explicit SdEventChildProcessWatcher(sd_event* event);
    ~SdEventChildProcessWatcher() override;
    SdEventChildProcessWatcher(const SdEventChildProcessWatcher&) = delete;
    SdEventChildProcessWatcher& operator=(const SdEventChildProcessWatcher&) = delete;

    // Throws ProcessLaunchError when the system cannot watch the child.
    void watch(std::shared_ptr<ChildProcess> child, std::size_t keptErrorBytes, Ended ended) override;
    void forget(const ChildProcess& child) override;

private:
    struct Watch;
    static int onExit(sd_event_source* source, int descriptor, unsigned events, void* userdata);
    static int onError(sd_event_source* source, int descriptor, unsigned events, void* userdata);
    void finishIfDone(Watch& watch);
    void release(Watch& watch);

    sd_event* event_;
    std::map<const ChildProcess*, std::unique_ptr<Watch>> watches_;
};

} // namespace quillstone
