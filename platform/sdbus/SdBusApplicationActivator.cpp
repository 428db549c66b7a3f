#include "platform/sdbus/SdBusApplicationActivator.h"

#include <systemd/sd-bus.h>

namespace quillstone {

namespace {

// A wizard that does not answer must not hold the monitor's loop for long.
constexpr uint64_t replyTimeoutMicroseconds = 2'000'000;

} // namespace

SdBusApplicationActivator::SdBusApplicationActivator(std::string busName, std::string objectPath)
    : busName_(std::move(busName)), objectPath_(std::move(objectPath)) {}

bool SdBusApplicationActivator::activate(sd_bus* bus, pid_t processIdentifier) const {
    if (bus == nullptr || processIdentifier <= 0) {
        return false;
    }
    sd_bus_creds* credentials = nullptr;
    if (sd_bus_get_name_creds(bus, busName_.c_str(), SD_BUS_CREDS_PID, &credentials) < 0) {
        return false;
    }
    pid_t owner = 0;
    const int found = sd_bus_creds_get_pid(credentials, &owner);
    sd_bus_creds_unref(credentials);
    if (found < 0 || owner != processIdentifier) {
        return false;
    }
    sd_bus_message* call = nullptr;
    if (sd_bus_message_new_method_call(bus, &call, busName_.c_str(), objectPath_.c_str(),
                                       "org.freedesktop.Application", "Activate") < 0) {
        return false;
    }
    bool answered = false;
    if (sd_bus_message_append(call, "a{sv}", 0) >= 0) {
        sd_bus_error error = SD_BUS_ERROR_NULL;
        sd_bus_message* reply = nullptr;
        answered = sd_bus_call(bus, call, replyTimeoutMicroseconds, &error, &reply) >= 0;
        sd_bus_message_unref(reply);
        sd_bus_error_free(&error);
    }
    sd_bus_message_unref(call);
    return answered;
}

} // namespace quillstone
