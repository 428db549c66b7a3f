#include "setup/app/TerminationSignals.h"

#include <QCoreApplication>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace quillstone {

namespace {
int wakeUp[2] = {-1, -1};
} // namespace

void TerminationSignals::handle(int) {
    char byte = 1;
    // Only async-signal-safe work here; the event loop does the rest.
    [[maybe_unused]] ssize_t ignored = ::write(wakeUp[1], &byte, 1);
}

TerminationSignals::TerminationSignals(std::function<void()> onRequest) : onRequest_(std::move(onRequest)) {
    if (::pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) != 0) {
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(wakeUp[0], QSocketNotifier::Read);
    askAgain_.setInterval(50);
    QObject::connect(&askAgain_, &QTimer::timeout, [] { QCoreApplication::quit(); });
    if (auto* application = QCoreApplication::instance()) {
        QObject::connect(application, &QCoreApplication::aboutToQuit, &askAgain_, &QTimer::stop);
    }
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] {
        char buffer[16];
        while (::read(wakeUp[0], buffer, sizeof buffer) > 0) {
        }
        if (onRequest_) {
            onRequest_();
        }
        QCoreApplication::quit();
        askAgain_.start();
    });
    struct sigaction action {};
    action.sa_handler = &TerminationSignals::handle;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
    if (wakeUp[0] < 0) {
        return;
    }
    std::signal(SIGTERM, SIG_DFL);
    std::signal(SIGINT, SIG_DFL);
    notifier_.reset();
    ::close(wakeUp[0]);
    ::close(wakeUp[1]);
    wakeUp[0] = wakeUp[1] = -1;
}

} // namespace quillstone
