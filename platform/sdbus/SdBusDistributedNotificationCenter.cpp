#include "platform/sdbus/SdBusDistributedNotificationCenter.h"

#include "platform/sdbus/SdBusConnection.h"
#include "platform/sdbus/SdBusUserInfo.h"

#include <systemd/sd-bus.h>

namespace quillstone {

SdBusDistributedNotificationCenter::SdBusDistributedNotificationCenter(std::shared_ptr<SdBusConnection> connection)
    : connection_(std::move(connection)) {}

SdBusDistributedNotificationCenter::~SdBusDistributedNotificationCenter() {
    for (auto& [token, registration] : registrations_) {
        sd_bus_slot_unref(registration->slot);
    }
}

DistributedNotificationCenter::Token SdBusDistributedNotificationCenter::addObserver(const std::string& name,
                                                                                      Handler handler) {
    auto registration = std::make_unique<Registration>();
    registration->handler = std::move(handler);
    const auto dot = name.rfind('.');
    // A name that cannot be a D-Bus interface and member never matches; the
    // observer is still kept so that removal works the same way.
    if (connection_ && dot != std::string::npos && dot > 0) {
        const std::string interface = name.substr(0, dot);
        const std::string member = name.substr(dot + 1);
        if (sd_bus_interface_name_is_valid(interface.c_str()) && sd_bus_member_name_is_valid(member.c_str())) {
            sd_bus_match_signal(connection_->get(), &registration->slot, nullptr, "/", interface.c_str(),
                                member.c_str(),
                                [](sd_bus_message* message, void* userdata, sd_bus_error*) {
                                    // A copy: the handler may remove its own registration.
                                    Handler handler = static_cast<Registration*>(userdata)->handler;
                                    handler(userInfoFromSdBusMessage(message));
                                    return 0;
                                },
                                registration.get());
        }
    }
    const Token token = nextToken_++;
    registrations_.emplace(token, std::move(registration));
    return token;
}

void SdBusDistributedNotificationCenter::removeObserver(Token token) {
    auto found = registrations_.find(token);
    if (found == registrations_.end()) {
        return;
    }
    // sd-bus holds the slot while its callback runs, so this is safe from a handler.
    sd_bus_slot_unref(found->second->slot);
    registrations_.erase(found);
}

} // namespace quillstone
