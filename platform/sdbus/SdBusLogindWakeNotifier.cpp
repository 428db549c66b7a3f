#include "platform/sdbus/SdBusLogindWakeNotifier.h"

#include "platform/sdbus/SdBusConnection.h"

#include <systemd/sd-bus.h>
#include <vector>

namespace quillstone {

SdBusLogindWakeNotifier::SdBusLogindWakeNotifier(std::shared_ptr<SdBusConnection> connection)
    : connection_(std::move(connection)) {}

SdBusLogindWakeNotifier::~SdBusLogindWakeNotifier() { sd_bus_slot_unref(slot_); }

WakeNotifier::Token SdBusLogindWakeNotifier::addObserver(Handler handler) {
    if (connection_ && slot_ == nullptr) {
        sd_bus_match_signal(connection_->get(), &slot_, "org.freedesktop.login1", "/org/freedesktop/login1",
                            "org.freedesktop.login1.Manager", "PrepareForSleep",
                            [](sd_bus_message* message, void* userdata, sd_bus_error*) {
                                static_cast<SdBusLogindWakeNotifier*>(userdata)->received(message);
                                return 0;
                            },
                            this);
    }
    const Token token = nextToken_++;
    handlers_.emplace(token, std::move(handler));
    return token;
}

void SdBusLogindWakeNotifier::removeObserver(Token token) { handlers_.erase(token); }

void SdBusLogindWakeNotifier::received(sd_bus_message* message) {
    int sleeping = 1;
    // true announces sleep; only false, the way back, is a wake. Other shapes are ignored.
    if (sd_bus_message_rewind(message, 1) < 0 || sd_bus_message_has_signature(message, "b") <= 0 ||
        sd_bus_message_read_basic(message, 'b', &sleeping) < 0 || sleeping) {
        return;
    }
    // A handler may remove observers while we call them.
    std::vector<Handler> current;
    for (const auto& [token, handler] : handlers_) {
        current.push_back(handler);
    }
    for (const auto& handler : current) {
        handler();
    }
}

} // namespace quillstone
