#include "platform/qt/DBusUserInfo.h"

#include <QDBusArgument>
#include <QDBusMetaType>
#include <QDBusObjectPath>
#include <QDBusSignature>
#include <QDBusVariant>
#include <QMetaType>

namespace quillstone {

namespace {

NotificationValue otherWithSignature(const QString& signature) {
    return NotificationValue::other("<" + signature.toStdString() + ">");
}

// A plain D-Bus value as Qt hands it over; containers arrive as QDBusArgument.
NotificationValue valueFromBasic(const QVariant& value) {
    switch (value.metaType().id()) {
    case QMetaType::UChar:
        return NotificationValue::unsignedInteger(value.value<uchar>());
    case QMetaType::Short:
        return NotificationValue::signedInteger(value.value<short>());
    case QMetaType::UShort:
        return NotificationValue::unsignedInteger(value.value<ushort>());
    case QMetaType::Int:
        return NotificationValue::signedInteger(value.value<int>());
    case QMetaType::UInt:
        return NotificationValue::unsignedInteger(value.value<uint>());
    case QMetaType::LongLong:
        return NotificationValue::signedInteger(value.value<qlonglong>());
    case QMetaType::ULongLong:
        return NotificationValue::unsignedInteger(value.value<qulonglong>());
    case QMetaType::Double:
        return NotificationValue::real(value.value<double>());
    case QMetaType::Bool:
        return NotificationValue::boolean(value.value<bool>());
    case QMetaType::QString:
        return NotificationValue::string(value.value<QString>().toStdString());
    default:
        break;
    }
    if (value.metaType() == QMetaType::fromType<QDBusArgument>()) {
        return otherWithSignature(value.value<QDBusArgument>().currentSignature());
    }
    // Qt demarshals some containers itself (as: QStringList, ay: QByteArray).
    const char* signature = QDBusMetaType::typeToSignature(value.metaType());
    return otherWithSignature(QString::fromLatin1(signature ? signature : "?"));
}

NotificationValue valueFromEntry(const QVariant& value) {
    if (value.metaType() == QMetaType::fromType<QDBusVariant>()) {
        return valueFromBasic(value.value<QDBusVariant>().variant());
    }
    return valueFromBasic(value);
}

std::string keyText(const QVariant& key) {
    if (key.metaType() == QMetaType::fromType<QDBusObjectPath>()) {
        return key.value<QDBusObjectPath>().path().toStdString();
    }
    if (key.metaType() == QMetaType::fromType<QDBusSignature>()) {
        return key.value<QDBusSignature>().signature().toStdString();
    }
    NotificationValue value = valueFromBasic(key);
    return value.textualForm();
}

} // namespace

std::optional<NotificationUserInfo> userInfoFromDBusMessage(const QDBusMessage& message) {
    const QList<QVariant> arguments = message.arguments();
    if (arguments.isEmpty()) {
        return std::nullopt;
    }
    NotificationUserInfo userInfo;
    if (arguments.size() != 1 || arguments.front().metaType() != QMetaType::fromType<QDBusArgument>()) {
        return userInfo;
    }
    const auto dictionary = arguments.front().value<QDBusArgument>();
    if (dictionary.currentType() != QDBusArgument::MapType) {
        return userInfo;
    }
    dictionary.beginMap();
    while (!dictionary.atEnd()) {
        dictionary.beginMapEntry();
        const QVariant key = dictionary.asVariant();
        const QVariant value = dictionary.asVariant();
        dictionary.endMapEntry();
        userInfo.insert_or_assign(keyText(key), valueFromEntry(value));
    }
    dictionary.endMap();
    return userInfo;
}

} // namespace quillstone
