#include "setup/app/ReopenDBusService.h"

#include <QDBusConnection>
#include <QDBusMessage>

namespace quillstone {

ReopenDBusService::ReopenDBusService(std::function<bool()> reopen) : reopen_(std::move(reopen)) {}

ReopenDBusService::~ReopenDBusService() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromUtf8(objectPath));
        bus.unregisterService(QString::fromUtf8(serviceName));
    }
}

bool ReopenDBusService::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        return false;
    }
    if (!bus.registerVirtualObject(QString::fromUtf8(objectPath), this)) {
        return false;
    }
    if (!bus.registerService(QString::fromUtf8(serviceName))) {
        bus.unregisterObject(QString::fromUtf8(objectPath));
        return false;
    }
    registered_ = true;
    return true;
}

QString ReopenDBusService::introspect(const QString&) const {
    return QStringLiteral("<interface name=\"%1\"><method name=\"%2\"><arg type=\"b\" direction=\"out\"/>"
                          "</method></interface>")
        .arg(QString::fromUtf8(interfaceName), QString::fromUtf8(methodName));
}

bool ReopenDBusService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    const bool ours = message.type() == QDBusMessage::MethodCallMessage &&
                      message.member() == QString::fromUtf8(methodName) &&
                      (message.interface().isEmpty() || message.interface() == QString::fromUtf8(interfaceName));
    if (!ours) {
        return false;
    }
    bool answer = reopen_ ? reopen_() : false;
    connection.send(message.createReply(QVariant(answer)));
    return true;
}

} // namespace quillstone
