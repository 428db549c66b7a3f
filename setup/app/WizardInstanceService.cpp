#include "setup/app/WizardInstanceService.h"

#include <QCoreApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QVariantMap>
#include <cstdlib>

namespace quillstone {

namespace {

constexpr int callTimeoutMilliseconds = 3000;

QString text(const char* value) { return QString::fromUtf8(value); }

QVariantMap toVariantMap(const WizardInstanceService::PlatformData& data) {
    QVariantMap map;
    for (const auto& [key, value] : data) {
        map.insert(QString::fromStdString(key), QString::fromStdString(value));
    }
    return map;
}

// Any a{sv} argument; strings only, anything else left out.
WizardInstanceService::PlatformData platformDataOf(const QVariant& argument) {
    WizardInstanceService::PlatformData data;
    QVariantMap map;
    if (argument.canConvert<QDBusArgument>()) {
        const auto dbusArgument = argument.value<QDBusArgument>();
        if (dbusArgument.currentSignature() != QLatin1String("a{sv}")) {
            return data;
        }
        dbusArgument >> map;
    } else if (argument.typeId() == QMetaType::QVariantMap) {
        map = argument.toMap();
    }
    for (auto entry = map.cbegin(); entry != map.cend(); ++entry) {
        if (entry.value().typeId() == QMetaType::QString) {
            data[entry.key().toStdString()] = entry.value().toString().toStdString();
        }
    }
    return data;
}

} // namespace

WizardInstanceService::WizardInstanceService(std::function<void(const PlatformData&)> activate)
    : activate_(std::move(activate)) {}

WizardInstanceService::~WizardInstanceService() {
    if (registered_) {
        QDBusConnection bus = QDBusConnection::sessionBus();
        bus.unregisterObject(text(objectPath));
        bus.unregisterService(text(serviceName));
    }
}

WizardInstanceService::Registration WizardInstanceService::registerOnSessionBus() {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || bus.interface() == nullptr) {
        return Registration::noBus;
    }
    // The object first, so that a caller who sees the name can be answered.
    if (!bus.registerVirtualObject(text(objectPath), this)) {
        return Registration::noBus;
    }
    const auto reply = bus.interface()->registerService(text(serviceName), QDBusConnectionInterface::DontQueueService,
                                                        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        bus.unregisterObject(text(objectPath));
        return reply.isValid() ? Registration::taken : Registration::noBus;
    }
    registered_ = true;
    return Registration::registered;
}

bool WizardInstanceService::activateRunningInstance(const PlatformData& platformData) {
    QDBusMessage call = QDBusMessage::createMethodCall(text(serviceName), text(objectPath), text(interfaceName),
                                                       QStringLiteral("Activate"));
    call << toVariantMap(platformData);
    return QDBusConnection::sessionBus().call(call, QDBus::Block, callTimeoutMilliseconds).type() ==
           QDBusMessage::ReplyMessage;
}

WizardInstanceService::PlatformData WizardInstanceService::launchPlatformData() {
    PlatformData data;
    for (const auto& [variable, key] : {std::pair{"XDG_ACTIVATION_TOKEN", "activation-token"},
                                        std::pair{"DESKTOP_STARTUP_ID", "desktop-startup-id"}}) {
        if (const char* value = std::getenv(variable); value != nullptr && *value != '\0') {
            data[key] = value;
        }
    }
    return data;
}

QString WizardInstanceService::introspect(const QString&) const {
    return QStringLiteral("<interface name=\"%1\">"
                          "<method name=\"Activate\"><arg type=\"a{sv}\" name=\"platform_data\" direction=\"in\"/>"
                          "</method>"
                          "<method name=\"Open\"><arg type=\"as\" name=\"uris\" direction=\"in\"/>"
                          "<arg type=\"a{sv}\" name=\"platform_data\" direction=\"in\"/></method>"
                          "<method name=\"ActivateAction\"><arg type=\"s\" name=\"action_name\" direction=\"in\"/>"
                          "<arg type=\"av\" name=\"parameter\" direction=\"in\"/>"
                          "<arg type=\"a{sv}\" name=\"platform_data\" direction=\"in\"/></method>"
                          "</interface>")
        .arg(text(interfaceName));
}

bool WizardInstanceService::handleMessage(const QDBusMessage& message, const QDBusConnection& connection) {
    if (message.type() != QDBusMessage::MethodCallMessage ||
        (!message.interface().isEmpty() && message.interface() != text(interfaceName))) {
        return false;
    }
    // The wizard opens no documents and has no actions: each of them only brings it forward.
    const QString member = message.member();
    const auto arguments = message.arguments();
    PlatformData data;
    if (member == QLatin1String("Activate") && !arguments.isEmpty()) {
        data = platformDataOf(arguments.last());
    } else if ((member == QLatin1String("Open") || member == QLatin1String("ActivateAction")) && !arguments.isEmpty()) {
        data = platformDataOf(arguments.last());
    } else if (member != QLatin1String("Activate")) {
        return false;
    }
    connection.send(message.createReply());
    // Bus messages may arrive on the bus thread; the window lives on the main one.
    if (activate_ && QCoreApplication::instance() != nullptr) {
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [activate = activate_, data] { activate(data); }, Qt::QueuedConnection);
    }
    return true;
}

} // namespace quillstone
