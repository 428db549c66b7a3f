#pragma once

#include "platform/DistributedNotificationCenter.h"

#include <map>
#include <memory>

struct sd_bus_slot;

namespace quillstone {

class SdBusConnection;

// Distributed notifications as session D-Bus signals: the notification
// "A.B.C.name" is the signal on path "/", interface "A.B.C", member "name",
// from any sender. Use on the loop's thread. Without a bus (nullptr) the
// observers are kept but nothing ever arrives.
class SdBusDistributedNotificationCenter : public DistributedNotificationCenter {
public:
    explicit SdBusDistributedNotificationCenter(std::shared_ptr<SdBusConnection> connection);
    ~SdBusDistributedNotificationCenter() override;
    SdBusDistributedNotificationCenter(const SdBusDistributedNotificationCenter&) = delete;
    SdBusDistributedNotificationCenter& operator=(const SdBusDistributedNotificationCenter&) = delete;

    Token addObserver(const std::string& name, Handler handler) override;
    void removeObserver(Token token) override;

private:
    struct Registration {
        Handler handler;
        sd_bus_slot* slot = nullptr;
    };
    std::shared_ptr<SdBusConnection> connection_;
    std::map<Token, std::unique_ptr<Registration>> registrations_;
    Token nextToken_ = 1;
};

} // namespace quillstone
