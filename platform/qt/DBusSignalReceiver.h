#pragma once

#include <QDBusMessage>
#include <QObject>
#include <functional>

namespace quillstone {

// A generic receiver for D-Bus signals. It takes the whole message rather than
// typed arguments: a typed slot makes Qt 6.4 crash when a sender emits the same
// signal with another signature, and only the message also sees zero arguments.
class DBusSignalReceiver : public QObject {
    Q_OBJECT

public:
    explicit DBusSignalReceiver(std::function<void(const QDBusMessage&)> handler, QObject* parent = nullptr)
        : QObject(parent), handler_(std::move(handler)) {}

    // Stops delivery at once; safe to call from inside the handler.
    void deactivate() { active_ = false; }

public slots:
    void receive(const QDBusMessage& message);

private:
    std::function<void(const QDBusMessage&)> handler_;
    bool active_ = true;
};

} // namespace quillstone
