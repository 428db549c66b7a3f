#pragma once

#include "platform/ChildProcess.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace quillstone {

// Waits for launched children without blocking a thread: `ended` runs on the
// main thread once the child has exited and its piped standard error (if
// any) is closed, with at most `keptErrorBytes` of what it wrote there; the
// rest is read and dropped. The child is reaped before `ended` runs.
class ChildProcessWatcher {
public:
    using Ended = std::function<void(ChildProcess& child, std::string standardError)>;

    virtual ~ChildProcessWatcher() = default;
    virtual void watch(std::shared_ptr<ChildProcess> child, std::size_t keptErrorBytes, Ended ended) = 0;
    // Stops watching without calling `ended`; unknown children are ignored.
    virtual void forget(const ChildProcess& child) = 0;
};

} // namespace quillstone
