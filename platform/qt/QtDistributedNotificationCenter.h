#pragma once

#include "platform/DistributedNotificationCenter.h"

#include <QDBusConnection>
#include <map>

namespace quillstone {

class DBusSignalReceiver;

// Distributed notifications as session D-Bus signals: the notification
// "A.B.C.name" is the signal on path "/", interface "A.B.C", member "name",
// from any sender. Create and use on the main thread. Without a bus the
// observers are kept but nothing ever arrives.
class QtDistributedNotificationCenter : public DistributedNotificationCenter {
public:
    explicit QtDistributedNotificationCenter(QDBusConnection connection = QDBusConnection::sessionBus());
    ~QtDistributedNotificationCenter() override;
    QtDistributedNotificationCenter(const QtDistributedNotificationCenter&) = delete;
    QtDistributedNotificationCenter& operator=(const QtDistributedNotificationCenter&) = delete;

    Token addObserver(const std::string& name, Handler handler) override;
    void removeObserver(Token token) override;

private:
    struct Registration {
        QString interface;
        QString member;
        DBusSignalReceiver* receiver = nullptr;
    };
    void disconnect(const Registration& registration);

    QDBusConnection connection_;
    std::map<Token, Registration> registrations_;
    Token nextToken_ = 1;
};

} // namespace quillstone
