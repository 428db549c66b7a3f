#include "platform/sdbus/SdBusBooleanMethod.h"

#include "platform/sdbus/SdBusConnection.h"

#include <systemd/sd-bus.h>

namespace quillstone {

SdBusBooleanMethod::SdBusBooleanMethod(Address address, std::function<bool()> answer)
    : address_(std::move(address)), answer_(std::move(answer)) {
    vtable_.reset(new sd_bus_vtable[3]{
        SD_BUS_VTABLE_START(0),
        SD_BUS_METHOD(
            address_.method.c_str(), "", "b",
            [](sd_bus_message* message, void* userdata, sd_bus_error*) {
                auto* self = static_cast<SdBusBooleanMethod*>(userdata);
                const bool answer = self->answer_ ? self->answer_() : false;
                return sd_bus_reply_method_return(message, "b", static_cast<int>(answer));
            },
            SD_BUS_VTABLE_UNPRIVILEGED),
        SD_BUS_VTABLE_END,
    });
}

SdBusBooleanMethod::~SdBusBooleanMethod() { withdraw(); }

bool SdBusBooleanMethod::exportOn(std::shared_ptr<SdBusConnection> connection) {
    withdraw();
    if (!connection) {
        return false;
    }
    sd_bus* bus = connection->get();
    if (sd_bus_add_object_vtable(bus, &slot_, address_.objectPath.c_str(), address_.interface.c_str(), vtable_.get(),
                                 this) < 0) {
        return false;
    }
    connection_ = std::move(connection);
    if (sd_bus_request_name(bus, address_.busName.c_str(), 0) < 0) {
        withdraw();
        return false;
    }
    ownsName_ = true;
    return true;
}

void SdBusBooleanMethod::withdraw() {
    if (ownsName_ && connection_) {
        sd_bus_release_name(connection_->get(), address_.busName.c_str());
    }
    ownsName_ = false;
    slot_ = sd_bus_slot_unref(slot_);
    connection_.reset();
}

} // namespace quillstone
