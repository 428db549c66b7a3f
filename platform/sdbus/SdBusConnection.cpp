#include "platform/sdbus/SdBusConnection.h"

#include <systemd/sd-bus.h>

namespace quillstone {

std::shared_ptr<SdBusConnection> SdBusConnection::attach(sd_bus* bus, int opened, sd_event* event) {
    if (opened < 0 || bus == nullptr) {
        sd_bus_unref(bus);
        return nullptr;
    }
    if (sd_bus_attach_event(bus, event, SD_EVENT_PRIORITY_NORMAL) < 0) {
        sd_bus_flush_close_unref(bus);
        return nullptr;
    }
    return std::shared_ptr<SdBusConnection>(new SdBusConnection(bus));
}

std::shared_ptr<SdBusConnection> SdBusConnection::session(sd_event* event) {
    sd_bus* bus = nullptr;
    // $DBUS_SESSION_BUS_ADDRESS, else $XDG_RUNTIME_DIR/bus: no systemd needed.
    const int opened = sd_bus_open_user(&bus);
    return attach(bus, opened, event);
}

std::shared_ptr<SdBusConnection> SdBusConnection::system(sd_event* event) {
    sd_bus* bus = nullptr;
    const int opened = sd_bus_open_system(&bus);
    return attach(bus, opened, event);
}

std::shared_ptr<SdBusConnection> SdBusConnection::atAddress(const std::string& address, sd_event* event) {
    sd_bus* bus = nullptr;
    int opened = sd_bus_new(&bus);
    if (opened >= 0) {
        opened = sd_bus_set_address(bus, address.c_str());
    }
    if (opened >= 0) {
        opened = sd_bus_set_bus_client(bus, 1);
    }
    if (opened >= 0) {
        opened = sd_bus_start(bus);
    }
    return attach(bus, opened, event);
}

SdBusConnection::~SdBusConnection() {
    sd_bus_detach_event(bus_);
    sd_bus_flush_close_unref(bus_);
}

bool SdBusConnection::roundTrip() {
    sd_bus_message* reply = nullptr;
    const int called = sd_bus_call_method(bus_, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                          "GetId", nullptr, &reply, "");
    sd_bus_message_unref(reply);
    return called >= 0;
}

} // namespace quillstone
