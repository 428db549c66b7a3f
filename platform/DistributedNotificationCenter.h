#pragma once

#include "platform/NotificationPayload.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quillstone {

// Notifications posted by other processes of the same user, by name, from any
// sender. Handlers are called on the main thread, one call per notification;
// no user info is std::nullopt.
class DistributedNotificationCenter {
public:
    using Token = uint64_t;
    using Handler = std::function<void(const std::optional<NotificationUserInfo>& userInfo)>;

    virtual ~DistributedNotificationCenter() = default;

    virtual Token addObserver(const std::string& name, Handler handler) = 0;
    // An unknown or already removed token is ignored.
    virtual void removeObserver(Token token) = 0;
};

} // namespace quillstone
