#include "status/widgets/QtStatusRefreshTimer.h"

namespace quillstone {

QtStatusRefreshTimer::QtStatusRefreshTimer() {
    timer_.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        if (tick_) {
            tick_();
        }
    });
}

void QtStatusRefreshTimer::start(std::chrono::milliseconds interval, std::function<void()> tick) {
    tick_ = std::move(tick);
    timer_.start(interval);
}

void QtStatusRefreshTimer::stop() {
    timer_.stop();
    tick_ = nullptr;
}

} // namespace quillstone
