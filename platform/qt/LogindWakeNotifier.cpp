#include "platform/qt/LogindWakeNotifier.h"

#include "platform/qt/DBusSignalReceiver.h"

#include <vector>

namespace quillstone {

namespace {
const QString logindService = QStringLiteral("org.freedesktop.login1");
const QString logindPath = QStringLiteral("/org/freedesktop/login1");
const QString logindManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString prepareForSleep = QStringLiteral("PrepareForSleep");
const char* const receiveSlot = SLOT(receive(QDBusMessage));
} // namespace

LogindWakeNotifier::LogindWakeNotifier(QDBusConnection connection)
    : connection_(std::move(connection)),
      receiver_(std::make_unique<DBusSignalReceiver>([this](const QDBusMessage& message) { received(message); })) {}

LogindWakeNotifier::~LogindWakeNotifier() {
    if (connected_) {
        connection_.disconnect(logindService, logindPath, logindManager, prepareForSleep, receiver_.get(),
                               receiveSlot);
    }
}

WakeNotifier::Token LogindWakeNotifier::addObserver(Handler handler) {
    connectOnce();
    const Token token = nextToken_++;
    handlers_.emplace(token, std::move(handler));
    return token;
}

void LogindWakeNotifier::removeObserver(Token token) { handlers_.erase(token); }

void LogindWakeNotifier::connectOnce() {
    if (connected_ || !connection_.isConnected()) {
        return;
    }
    connected_ = connection_.connect(logindService, logindPath, logindManager, prepareForSleep, receiver_.get(),
                                     receiveSlot);
}

void LogindWakeNotifier::received(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    // true announces sleep; only false, the way back, is a wake.
    if (arguments.size() != 1 || arguments.front().metaType() != QMetaType::fromType<bool>() ||
        arguments.front().toBool()) {
        return;
    }
    // A handler may remove observers while we call them.
    std::vector<Handler> current;
    for (const auto& [token, handler] : handlers_) {
        current.push_back(handler);
    }
    for (const auto& handler : current) {
        handler();
    }
}

} // namespace quillstone
