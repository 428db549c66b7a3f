#pragma once

#include <cstdint>
#include <functional>

namespace quillstone {

// Tells when the computer woke from sleep. Handlers are called on the main
// thread. A system that cannot say simply never calls them.
class WakeNotifier {
public:
    using Token = uint64_t;
    using Handler = std::function<void()>;

    virtual ~WakeNotifier() = default;

    virtual Token addObserver(Handler handler) = 0;
    // An unknown or already removed token is ignored.
    virtual void removeObserver(Token token) = 0;
};

} // namespace quillstone
