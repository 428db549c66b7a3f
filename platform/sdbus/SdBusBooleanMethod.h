#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>

struct sd_bus_slot;
struct sd_bus_vtable;

namespace quillstone {

class SdBusConnection;

// One method without arguments that answers a boolean, exported on an object
// under a well-known bus name. Use on the loop's thread.
class SdBusBooleanMethod {
public:
    struct Address {
        std::string busName;
        std::string objectPath;
        std::string interface;
        std::string method;
    };

    SdBusBooleanMethod(Address address, std::function<bool()> answer);
    ~SdBusBooleanMethod();
    SdBusBooleanMethod(const SdBusBooleanMethod&) = delete;
    SdBusBooleanMethod& operator=(const SdBusBooleanMethod&) = delete;

    // False without a bus, or when the name is taken.
    bool exportOn(std::shared_ptr<SdBusConnection> connection);

private:
    void withdraw();

    Address address_;
    std::function<bool()> answer_;
    std::unique_ptr<sd_bus_vtable[]> vtable_;
    std::shared_ptr<SdBusConnection> connection_;
    sd_bus_slot* slot_ = nullptr;
    bool ownsName_ = false;
};

} // namespace quillstone
