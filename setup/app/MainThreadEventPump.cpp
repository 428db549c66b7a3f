#include "setup/app/MainThreadEventPump.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <thread>

namespace quillstone {

void pumpMainThreadEvents(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    if (QCoreApplication::instance() != nullptr) {
        QEventLoop loop;
        QTimer::singleShot(duration, &loop, &QEventLoop::quit);
        loop.exec();
    }
    // Once the application is quitting, nested loops return at once; never spin.
    std::this_thread::sleep_until(deadline);
}

} // namespace quillstone
