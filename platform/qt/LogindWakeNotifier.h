#pragma once

#include "platform/WakeNotifier.h"

#include <QDBusConnection>
#include <map>
#include <memory>

namespace quillstone {

class DBusSignalReceiver;

// Wake from sleep as logind reports it on the system bus: PrepareForSleep(false).
// Without a system bus (containers, CI) there are simply no wake events.
// Create and use on the main thread.
class LogindWakeNotifier : public WakeNotifier {
public:
    explicit LogindWakeNotifier(QDBusConnection connection = QDBusConnection::systemBus());
    ~LogindWakeNotifier() override;
    LogindWakeNotifier(const LogindWakeNotifier&) = delete;
    LogindWakeNotifier& operator=(const LogindWakeNotifier&) = delete;

    Token addObserver(Handler handler) override;
    void removeObserver(Token token) override;

private:
    void connectOnce();
    void received(const QDBusMessage& message);

    QDBusConnection connection_;
    std::unique_ptr<DBusSignalReceiver> receiver_;
    bool connected_ = false;
    std::map<Token, Handler> handlers_;
    Token nextToken_ = 1;
};

} // namespace quillstone
