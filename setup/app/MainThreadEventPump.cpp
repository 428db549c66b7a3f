#include "setup/app/MainThreadEventPump.h"

#include "setup/app/QuitRequest.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <thread>

namespace quillstone {

void pumpMainThreadEvents(std::chrono::milliseconds duration) {
    const auto deadline = std::chrono::steady_clock::now() + duration;
    if (QCoreApplication::instance() != nullptr) {
        QEventLoop loop;
        bool stepEnded = false;
        QTimer::singleShot(duration, &loop, [&] {
            stepEnded = true;
            loop.quit();
        });
        loop.exec();
        // Only the application's exit ends this loop early: quitting has begun.
        if (!stepEnded) {
            QuitRequest::record();
        }
    }
    // Once the application is quitting, nested loops return at once; never spin.
    std::this_thread::sleep_until(deadline);
}

} // namespace quillstone
