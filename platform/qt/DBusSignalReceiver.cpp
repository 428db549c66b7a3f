#include "platform/qt/DBusSignalReceiver.h"

namespace quillstone {

void DBusSignalReceiver::receive(const QDBusMessage& message) {
    if (active_ && handler_) {
        handler_(message);
    }
}

} // namespace quillstone
