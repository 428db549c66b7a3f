#pragma once

#include "status/StatusRefreshTimer.h"

#include <QTimer>

namespace quillstone {

// The refresh timer on the Qt event loop of the main thread, to the millisecond.
class QtStatusRefreshTimer : public StatusRefreshTimer {
public:
    QtStatusRefreshTimer();

    void start(std::chrono::milliseconds interval, std::function<void()> tick) override;
    void stop() override;

private:
    QTimer timer_;
    std::function<void()> tick_;
};

} // namespace quillstone
