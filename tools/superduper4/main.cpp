// superduper4-standin: plays SuperDuper! 4 finishing a copy (see --help).
#include "tools/superduper4/SuperDuperStandInOptions.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QVariantMap>

#include <chrono>
#include <iostream>

namespace {

using quillstone::SuperDuperStandInOptions;

QVariant toVariant(const SuperDuperStandInOptions::Value& value) {
    return std::visit(
        [](const auto& held) -> QVariant {
            using T = std::decay_t<decltype(held)>;
            if constexpr (std::is_same_v<T, std::string>) {
                return QString::fromStdString(held);
            } else if constexpr (std::is_same_v<T, int64_t>) {
                return QVariant::fromValue(static_cast<qlonglong>(held));
            } else {
                return QVariant::fromValue(held);
            }
        },
        value);
}

int post(const SuperDuperStandInOptions& options) {
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::cerr << "superduper4-standin: no D-Bus session bus: " << bus.lastError().message().toStdString() << '\n';
        return 1;
    }
    QDBusMessage signal = QDBusMessage::createSignal("/", "com.shirtpocket.SuperDuper", "runFinished");
    if (options.withPayload) {
        auto now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
        QVariantMap userInfo;
        for (const auto& [key, value] : options.payload(now)) {
            userInfo.insert(QString::fromStdString(key), toVariant(value));
        }
        signal << userInfo;
    }
    if (!bus.send(signal)) {
        std::cerr << "superduper4-standin: the notification could not be sent: "
                  << bus.lastError().message().toStdString() << '\n';
        return 1;
    }
    // A round trip to the bus makes sure the signal has left before we exit.
    bus.call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus",
                                            "GetId"));
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillstone;
    SuperDuperStandInOptions options;
    try {
        options = SuperDuperStandInOptions::parse(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const SuperDuperStandInOptions::UsageError& error) {
        std::cerr << "superduper4-standin: " << error.what() << "\n\n" << SuperDuperStandInOptions::help;
        return 64;
    }
    if (options.showHelp) {
        std::cout << SuperDuperStandInOptions::help;
        return 0;
    }
    if (options.record) {
        try {
            PosixFileManager& files = PosixFileManager::shared();
            options.run.save(files, SuperDuperRunRecord::runsFolder(files.userDomain()));
        } catch (const std::exception& error) {
            std::cerr << "superduper4-standin: the run could not be recorded: " << error.what() << '\n';
            return 1;
        }
    }
    if (options.post) {
        QCoreApplication application(argc, argv);
        if (int status = post(options); status != 0) {
            return status;
        }
    }
    std::cout << options.run.runID << '\n';
    return 0;
}
