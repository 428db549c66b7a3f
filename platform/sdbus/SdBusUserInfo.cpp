#include "platform/sdbus/SdBusUserInfo.h"

#include <cstring>
#include <systemd/sd-bus.h>

namespace quillstone {

namespace {

std::string signatureOf(char type, const char* contents) {
    const std::string inner = contents ? contents : "";
    switch (type) {
    case SD_BUS_TYPE_ARRAY:
        return "a" + inner;
    case SD_BUS_TYPE_STRUCT:
        return "(" + inner + ")";
    case SD_BUS_TYPE_DICT_ENTRY:
        return "{" + inner + "}";
    default:
        return std::string(1, type);
    }
}

NotificationValue otherSkipping(sd_bus_message* message, char type, const char* contents, int& failure) {
    const std::string signature = signatureOf(type, contents);
    if (int skipped = sd_bus_message_skip(message, signature.c_str()); skipped < 0) {
        failure = skipped;
    }
    return NotificationValue::other("<" + signature + ">");
}

template <typename T> T readBasic(sd_bus_message* message, char type, int& failure) {
    T value{};
    if (int read = sd_bus_message_read_basic(message, type, &value); read < 0) {
        failure = read;
    }
    return value;
}

// The next value, which has the given type; what is not a number, boolean or
// string is skipped and kept as its signature.
NotificationValue readValue(sd_bus_message* message, char type, const char* contents, int& failure) {
    switch (type) {
    case SD_BUS_TYPE_BYTE:
        return NotificationValue::unsignedInteger(readBasic<uint8_t>(message, type, failure));
    case SD_BUS_TYPE_INT16:
        return NotificationValue::signedInteger(readBasic<int16_t>(message, type, failure));
    case SD_BUS_TYPE_UINT16:
        return NotificationValue::unsignedInteger(readBasic<uint16_t>(message, type, failure));
    case SD_BUS_TYPE_INT32:
        return NotificationValue::signedInteger(readBasic<int32_t>(message, type, failure));
    case SD_BUS_TYPE_UINT32:
        return NotificationValue::unsignedInteger(readBasic<uint32_t>(message, type, failure));
    case SD_BUS_TYPE_INT64:
        return NotificationValue::signedInteger(readBasic<int64_t>(message, type, failure));
    case SD_BUS_TYPE_UINT64:
        return NotificationValue::unsignedInteger(readBasic<uint64_t>(message, type, failure));
    case SD_BUS_TYPE_DOUBLE:
        return NotificationValue::real(readBasic<double>(message, type, failure));
    case SD_BUS_TYPE_BOOLEAN:
        return NotificationValue::boolean(readBasic<int>(message, type, failure) != 0);
    case SD_BUS_TYPE_STRING: {
        const char* text = readBasic<const char*>(message, type, failure);
        return NotificationValue::string(text ? text : "");
    }
    default:
        return otherSkipping(message, type, contents, failure);
    }
}

NotificationValue readEntryValue(sd_bus_message* message, int& failure) {
    char type = 0;
    const char* contents = nullptr;
    if (int peeked = sd_bus_message_peek_type(message, &type, &contents); peeked <= 0) {
        failure = peeked < 0 ? peeked : -EBADMSG;
        return NotificationValue::other("<>");
    }
    if (type != SD_BUS_TYPE_VARIANT) {
        return readValue(message, type, contents, failure);
    }
    // One level of variant is unwrapped; a variant inside it stays "other".
    if (int entered = sd_bus_message_enter_container(message, SD_BUS_TYPE_VARIANT, contents); entered <= 0) {
        failure = entered < 0 ? entered : -EBADMSG;
        return NotificationValue::other("<v>");
    }
    char innerType = 0;
    const char* innerContents = nullptr;
    NotificationValue value = NotificationValue::other("<>");
    if (int peeked = sd_bus_message_peek_type(message, &innerType, &innerContents); peeked > 0) {
        value = readValue(message, innerType, innerContents, failure);
    } else {
        failure = peeked < 0 ? peeked : -EBADMSG;
    }
    if (int exited = sd_bus_message_exit_container(message); exited < 0) {
        failure = exited;
    }
    return value;
}

std::string readKey(sd_bus_message* message, int& failure) {
    char type = 0;
    const char* contents = nullptr;
    if (int peeked = sd_bus_message_peek_type(message, &type, &contents); peeked <= 0) {
        failure = peeked < 0 ? peeked : -EBADMSG;
        return {};
    }
    if (type == SD_BUS_TYPE_OBJECT_PATH || type == SD_BUS_TYPE_SIGNATURE) {
        const char* text = readBasic<const char*>(message, type, failure);
        return text ? text : "";
    }
    return readValue(message, type, contents, failure).textualForm();
}

std::optional<NotificationUserInfo> readDictionary(sd_bus_message* message, const char* contents) {
    NotificationUserInfo userInfo;
    const std::string entry(contents + 1, std::strlen(contents) - 2);
    if (sd_bus_message_enter_container(message, SD_BUS_TYPE_ARRAY, contents) <= 0) {
        return std::nullopt;
    }
    int failure = 0;
    while (failure == 0) {
        int entered = sd_bus_message_enter_container(message, SD_BUS_TYPE_DICT_ENTRY, entry.c_str());
        if (entered <= 0) {
            failure = entered;
            break;
        }
        std::string key = readKey(message, failure);
        NotificationValue value = readEntryValue(message, failure);
        if (int exited = sd_bus_message_exit_container(message); exited < 0) {
            failure = exited;
        }
        if (failure == 0) {
            userInfo.insert_or_assign(std::move(key), std::move(value));
        }
    }
    if (failure < 0 || sd_bus_message_exit_container(message) < 0) {
        return std::nullopt;
    }
    return userInfo;
}

} // namespace

std::optional<NotificationUserInfo> userInfoFromSdBusMessage(sd_bus_message* message) {
    // Several observers may read the same message.
    if (sd_bus_message_rewind(message, 1) < 0) {
        return NotificationUserInfo{};
    }
    char type = 0;
    const char* contents = nullptr;
    const int peeked = sd_bus_message_peek_type(message, &type, &contents);
    if (peeked == 0) {
        return std::nullopt;
    }
    if (peeked < 0 || type != SD_BUS_TYPE_ARRAY || contents == nullptr || contents[0] != '{') {
        return NotificationUserInfo{};
    }
    std::optional<NotificationUserInfo> userInfo = readDictionary(message, contents);
    if (!userInfo || sd_bus_message_peek_type(message, &type, &contents) != 0) {
        // Unreadable, or more than one argument.
        return NotificationUserInfo{};
    }
    return userInfo;
}

} // namespace quillstone
