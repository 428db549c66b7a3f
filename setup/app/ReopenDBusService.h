#pragma once

#include "platform/sdbus/SdBusBooleanMethod.h"

#include <functional>
#include <memory>

namespace quillstone {

class SdBusConnection;

// The monitor-mode process's answer to "reopen": the method Reopen on the object
// "/" of the session-bus name com.quillstone.Quillstone-Setup, answering a
// boolean. Linux has no reopen event of its own; this is how a launcher or a
// user asks for the wizard.
class ReopenDBusService {
public:
    static constexpr const char* serviceName = "com.quillstone.Quillstone-Setup";
    static constexpr const char* objectPath = "/";
    // Bus names may carry a hyphen, interface names may not.
    static constexpr const char* interfaceName = "com.quillstone.QuillstoneSetup";
    static constexpr const char* methodName = "Reopen";

    explicit ReopenDBusService(std::function<bool()> reopen);

    // False when there is no session bus or the name is taken; the monitor runs on without it.
    bool registerOnSessionBus(std::shared_ptr<SdBusConnection> sessionBus);

private:
    SdBusBooleanMethod method_;
};

} // namespace quillstone
