#pragma once

#include "platform/WakeNotifier.h"

#include <map>
#include <memory>

struct sd_bus_slot;
struct sd_bus_message;

namespace quillstone {

class SdBusConnection;

// Wake from sleep as logind reports it on the system bus: PrepareForSleep(false).
// Without a system bus (nullptr: containers, CI) there are simply no wake
// events. Use on the loop's thread.
class SdBusLogindWakeNotifier : public WakeNotifier {
public:
    explicit SdBusLogindWakeNotifier(std::shared_ptr<SdBusConnection> connection);
    ~SdBusLogindWakeNotifier() override;
    SdBusLogindWakeNotifier(const SdBusLogindWakeNotifier&) = delete;
    SdBusLogindWakeNotifier& operator=(const SdBusLogindWakeNotifier&) = delete;

    Token addObserver(Handler handler) override;
    void removeObserver(Token token) override;

private:
    void received(sd_bus_message* message);

    std::shared_ptr<SdBusConnection> connection_;
    sd_bus_slot* slot_ = nullptr;
    std::map<Token, Handler> handlers_;
    Token nextToken_ = 1;
};

} // namespace quillstone
