// The floor for an idle monitor: a process that only listens for
// SuperDuper!'s run-finished signal on the session bus with sd-bus and
// sd-event, and does nothing with it.
#include <systemd/sd-bus.h>
#include <systemd/sd-event.h>

int main() {
    sd_event* event = nullptr;
    sd_bus* bus = nullptr;
    if (sd_event_default(&event) < 0 || sd_bus_open_user(&bus) < 0 ||
        sd_bus_attach_event(bus, event, SD_EVENT_PRIORITY_NORMAL) < 0) {
        return 1;
    }
    auto ignore = [](sd_bus_message*, void*, sd_bus_error*) { return 0; };
    if (sd_bus_match_signal(bus, nullptr, nullptr, "/", "com.shirtpocket.SuperDuper", "runFinished", ignore,
                            nullptr) < 0) {
        return 1;
    }
    return sd_event_loop(event) < 0 ? 1 : 0;
}
