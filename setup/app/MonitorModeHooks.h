#pragma once

#include <functional>

namespace quillstone {

// How the application starts and stops the headless monitor. Either may be empty.
struct MonitorModeHooks {
    std::function<void()> start;
    std::function<void()> stop;
};

} // namespace quillstone
