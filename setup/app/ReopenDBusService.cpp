#include "setup/app/ReopenDBusService.h"

namespace quillstone {

ReopenDBusService::ReopenDBusService(std::function<bool()> reopen)
    : method_({serviceName, objectPath, interfaceName, methodName}, std::move(reopen)) {}

bool ReopenDBusService::registerOnSessionBus(std::shared_ptr<SdBusConnection> sessionBus) {
    return method_.exportOn(std::move(sessionBus));
}

} // namespace quillstone
