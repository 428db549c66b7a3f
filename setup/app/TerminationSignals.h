#pragma once

#include <QSocketNotifier>
#include <memory>

namespace quillstone {

// Turns SIGTERM and SIGINT into an orderly quit of the event loop, so the
// will-terminate steps run (children ended, temporary folders and the own
// session record deleted) when a service manager or the session stops us.
class TerminationSignals {
public:
    TerminationSignals();
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    static void handle(int signal);
    std::unique_ptr<QSocketNotifier> notifier_;
};

} // namespace quillstone
