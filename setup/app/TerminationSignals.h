#pragma once

#include <QSocketNotifier>
#include <QTimer>
#include <functional>
#include <memory>

namespace quillstone {

// Turns SIGTERM and SIGINT into an orderly quit of the event loop, so the
// will-terminate steps run (children ended, temporary folders and the own
// session record deleted) when a service manager or the session stops us.
class TerminationSignals {
public:
    // onRequest runs on the main thread when a signal arrives, before the loop is asked to end.
    explicit TerminationSignals(std::function<void()> onRequest = {});
    ~TerminationSignals();
    TerminationSignals(const TerminationSignals&) = delete;
    TerminationSignals& operator=(const TerminationSignals&) = delete;

private:
    static void handle(int signal);
    std::function<void()> onRequest_;
    std::unique_ptr<QSocketNotifier> notifier_;
    // quit() does nothing until the application's loop runs, and start-up
    // (waiting on child processes) can take a while: keep asking until it ends.
    QTimer askAgain_;
};

} // namespace quillstone
