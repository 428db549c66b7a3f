#include "platform/sdbus/SdEventLoop.h"

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <string>
#include <systemd/sd-event.h>
#include <unistd.h>

namespace quillstone {

namespace {

int signalPipe[2] = {-1, -1};
volatile sig_atomic_t signalled = 0;

void onTerminationSignal(int signal) {
    // Only async-signal-safe work here; the loop does the rest.
    if (signalled) {
        // Asked twice: do what the signal does by default.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    signalled = 1;
    char byte = 1;
    [[maybe_unused]] ssize_t ignored = ::write(signalPipe[1], &byte, 1);
}

} // namespace

SdEventLoop::SdEventLoop() {
    if (int failure = sd_event_new(&event_); failure < 0) {
        throw std::runtime_error("sd_event_new failed: " + std::to_string(-failure));
    }
}

SdEventLoop::~SdEventLoop() {
    if (signalSource_) {
        std::signal(SIGTERM, SIG_DFL);
        std::signal(SIGINT, SIG_DFL);
        sd_event_source_disable_unref(signalSource_);
        ::close(signalPipe[0]);
        ::close(signalPipe[1]);
        signalPipe[0] = signalPipe[1] = -1;
        signalled = 0;
    }
    sd_event_unref(event_);
}

void SdEventLoop::run() { sd_event_loop(event_); }

void SdEventLoop::exit() { sd_event_exit(event_, 0); }

void SdEventLoop::runOnce(std::chrono::milliseconds timeout) {
    sd_event_run(event_, static_cast<uint64_t>(timeout.count()) * 1000);
}

void SdEventLoop::handleTerminationSignals(std::function<void()> onSignal) {
    onSignal_ = std::move(onSignal);
    if (signalSource_ || ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    sd_event_add_io(event_, &signalSource_, signalPipe[0], EPOLLIN, &SdEventLoop::onSignalPipe, this);
    struct sigaction action {};
    action.sa_handler = &onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

int SdEventLoop::onSignalPipe(sd_event_source*, int descriptor, unsigned, void* userdata) {
    char buffer[16];
    while (::read(descriptor, buffer, sizeof buffer) > 0) {
    }
    auto* self = static_cast<SdEventLoop*>(userdata);
    if (self->onSignal_) {
        self->onSignal_();
    } else {
        self->exit();
    }
    return 0;
}

} // namespace quillstone
