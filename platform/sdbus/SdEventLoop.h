#pragma once

#include <chrono>
#include <functional>

struct sd_event;
struct sd_event_source;

namespace quillstone {

// The main thread's event loop of the headless programs (sd-event). Everything
// attached to it runs on the thread that calls run() or runOnce().
class SdEventLoop {
public:
    SdEventLoop();
    ~SdEventLoop();
    SdEventLoop(const SdEventLoop&) = delete;
    SdEventLoop& operator=(const SdEventLoop&) = delete;

    sd_event* get() const { return event_; }

    // Dispatches until exit() is called.
    void run();
    void exit();
    // Dispatches what is ready, waiting at most `timeout` for something to arrive.
    void runOnce(std::chrono::milliseconds timeout);

    // The first SIGTERM or SIGINT calls `onSignal` from the loop (by default:
    // exit()); a second one ends the process at once, the way it would have
    // without us.
    void handleTerminationSignals(std::function<void()> onSignal = {});

private:
    static int onSignalPipe(sd_event_source* source, int descriptor, unsigned events, void* userdata);

    sd_event* event_ = nullptr;
    sd_event_source* signalSource_ = nullptr;
    std::function<void()> onSignal_;
};

} // namespace quillstone
