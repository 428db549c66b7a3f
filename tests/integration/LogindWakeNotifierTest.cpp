#include "platform/qt/LogindWakeNotifier.h"
#include "support/CoreApplicationScope.h"
#include "support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

void roundTrip(QDBusConnection& connection) {
    auto call = QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                               "GetId");
    ASSERT_EQ(connection.call(call).type(), QDBusMessage::ReplyMessage);
}

// A round trip of the sender proves the bus has routed its signal; one of the
// receiver proves the signal reached it; then the event loop delivers it.
void settle(QDBusConnection& sender, QDBusConnection& receiver) {
    roundTrip(sender);
    roundTrip(receiver);
    QDeadlineTimer deadline(50);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
}

} // namespace

TEST(LogindWakeNotifier, OnlyTheWayBackFromSleepIsAWake) {
    CoreApplicationScope application;
    PrivateSessionBus bus;
    const QString address = QString::fromStdString(bus.address());
    {
        // Our own bus stands in for the system bus; a second connection plays logind.
        QDBusConnection logind = QDBusConnection::connectToBus(address, "quillstone-logind");
        QDBusConnection monitor = QDBusConnection::connectToBus(address, "quillstone-monitor");
        ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));

        LogindWakeNotifier notifier(monitor);
        int wakes = 0;
        auto token = notifier.addObserver([&] { ++wakes; });
        settle(logind, monitor);

        auto prepareForSleep = [&](const QList<QVariant>& arguments) {
            auto signal = QDBusMessage::createSignal("/org/freedesktop/login1", "org.freedesktop.login1.Manager",
                                                     "PrepareForSleep");
            signal.setArguments(arguments);
            ASSERT_TRUE(logind.send(signal));
            settle(logind, monitor);
        };
        prepareForSleep({true});
        EXPECT_EQ(wakes, 0);
        prepareForSleep({false});
        EXPECT_EQ(wakes, 1);
        prepareForSleep({});
        prepareForSleep({QString("false")});
        prepareForSleep({false, false});
        EXPECT_EQ(wakes, 1) << "other shapes are ignored";

        notifier.removeObserver(token);
        prepareForSleep({false});
        EXPECT_EQ(wakes, 1);
    }
    QDBusConnection::disconnectFromBus("quillstone-logind");
    QDBusConnection::disconnectFromBus("quillstone-monitor");
}
