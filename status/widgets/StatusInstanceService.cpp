#include "status/widgets/StatusInstanceService.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>

namespace quillstone {

StatusInstanceService::StatusInstanceService(std::function<void()> showPanel) : showPanel_(std::move(showPanel)) {}

StatusInstanceService::~StatusInstanceService() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(QString::fromUtf8(objectPath));
        bus.unregisterService(QString::fromUtf8(serviceName));
    }
}

StatusInstanceService::Registration StatusInstanceService::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return Registration::noBus;
    }
    // The object first, so that a caller who sees the name can be answered.
    if (!bus.registerVirtualObject(QString::fromUtf8(objectPath), this)) {
        return Registration::noBus;
    }
    const auto reply = bus.interface()->registerService(QString::fromUtf8(serviceName),
                                                        QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(QString::fromUtf8(objectPath));
        return reply.isValid() ? Registration::taken : Registration::noBus;
    }
    registered_ = true;
    return Registration::registered;
}

bool StatusInstanceService::showRunningInstance() {
    QDBusMessage call = QDBusMessage::createMethodCall(QString::fromUtf8(serviceName), QString::fromUtf8(objectPath),
                                                       QString::fromUtf8(interfaceName), QString::fromUtf8(methodName));
    return QDBusConnection::sessionBus().call(call, QDBus::Block, 5000).type() == QDBusMessage::ReplyMessage;
}

QString StatusInstanceService::introspect(const QString&) const {
    return QStringLiteral("<interface name=\"%1\"><method name=\"%2\"/></interface>")
        .arg(QString::fromUtf8(interfaceName), QString::fromUtf8(methodName));
}

bool StatusInstanceService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    const bool ours = message.type() == QDBusMessage::MethodCallMessage &&
                      message.member() == QString::fromUtf8(methodName) &&
                      (message.interface().isEmpty() || message.interface() == QString::fromUtf8(interfaceName));
    if (!ours) {
        return false;
    }
    connection.send(message.createReply());
    // Bus messages may arrive on the bus thread; the panel lives on the main one.
    if (showPanel_ && QCoreApplication::instance() != nullptr) {
        QMetaObject::invokeMethod(QCoreApplication::instance(), showPanel_, Qt::QueuedConnection);
    }
    return true;
}

} // namespace quillstone
