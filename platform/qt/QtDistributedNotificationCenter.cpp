#include "platform/qt/QtDistributedNotificationCenter.h"

#include "platform/qt/DBusSignalReceiver.h"
#include "platform/qt/DBusUserInfo.h"

namespace quillstone {

namespace {
const QString objectPath = QStringLiteral("/");
const char* const receiveSlot = SLOT(receive(QDBusMessage));
} // namespace

QtDistributedNotificationCenter::QtDistributedNotificationCenter(QDBusConnection connection)
    : connection_(std::move(connection)) {}

QtDistributedNotificationCenter::~QtDistributedNotificationCenter() {
    for (auto& [token, registration] : registrations_) {
        disconnect(registration);
        delete registration.receiver;
    }
}

DistributedNotificationCenter::Token QtDistributedNotificationCenter::addObserver(const std::string& name,
                                                                                   Handler handler) {
    const QString qualified = QString::fromStdString(name);
    const auto dot = qualified.lastIndexOf('.');
    Registration registration;
    registration.interface = dot > 0 ? qualified.left(dot) : QString();
    registration.member = dot > 0 ? qualified.mid(dot + 1) : qualified;
    registration.receiver = new DBusSignalReceiver(
        [handler = std::move(handler)](const QDBusMessage& message) { handler(userInfoFromDBusMessage(message)); });
    // A name that cannot be a D-Bus interface and member never matches; the
    // observer is still kept so that removal works the same way.
    if (dot > 0 && connection_.isConnected()) {
        connection_.connect(QString(), objectPath, registration.interface, registration.member,
                            registration.receiver, receiveSlot);
    }
    const Token token = nextToken_++;
    registrations_.emplace(token, registration);
    return token;
}

void QtDistributedNotificationCenter::removeObserver(Token token) {
    auto found = registrations_.find(token);
    if (found == registrations_.end()) {
        return;
    }
    disconnect(found->second);
    // The handler may be the caller: stop it now, free it once control is back in the loop.
    found->second.receiver->deactivate();
    found->second.receiver->deleteLater();
    registrations_.erase(found);
}

void QtDistributedNotificationCenter::disconnect(const Registration& registration) {
    if (!registration.interface.isEmpty() && connection_.isConnected()) {
        connection_.disconnect(QString(), objectPath, registration.interface, registration.member,
                               registration.receiver, receiveSlot);
    }
}

} // namespace quillstone
