#pragma once

#include <memory>
#include <string>

struct sd_bus;
struct sd_event;

namespace quillstone {

// One connection to a message bus, dispatched by an sd-event loop. The
// factories answer nullptr when there is no such bus: callers then simply
// receive nothing.
class SdBusConnection {
public:
    static std::shared_ptr<SdBusConnection> session(sd_event* event);
    static std::shared_ptr<SdBusConnection> system(sd_event* event);
    static std::shared_ptr<SdBusConnection> atAddress(const std::string& address, sd_event* event);

    ~SdBusConnection();
    SdBusConnection(const SdBusConnection&) = delete;
    SdBusConnection& operator=(const SdBusConnection&) = delete;

    sd_bus* get() const { return bus_; }
    // Waits for a reply from the bus itself: what was sent before has been routed.
    bool roundTrip();

private:
    static std::shared_ptr<SdBusConnection> attach(sd_bus* bus, int opened, sd_event* event);
    explicit SdBusConnection(sd_bus* bus) : bus_(bus) {}
    sd_bus* bus_;
};

} // namespace quillstone
