#include "platform/Uuid.h"

#include <array>
#include <cstdio>
#include <random>

namespace quillstone {

std::string makeUuidString() {
    thread_local std::random_device device;
    std::array<unsigned char, 16> bytes{};
    for (size_t index = 0; index < bytes.size(); index += 4) {
        unsigned value = device();
        for (size_t part = 0; part < 4; ++part) {
            bytes[index + part] = static_cast<unsigned char>(value >> (8 * part));
        }
    }
    bytes[6] = static_cast<unsigned char>((bytes[6] & 0x0F) | 0x40);
    bytes[8] = static_cast<unsigned char>((bytes[8] & 0x3F) | 0x80);
    char text[37];
    std::snprintf(text, sizeof text, "%02X%02X%02X%02X-%02X%02X-%02X%02X-%02X%02X-%02X%02X%02X%02X%02X%02X", bytes[0],
                  bytes[1], bytes[2], bytes[3], bytes[4], bytes[5], bytes[6], bytes[7], bytes[8], bytes[9], bytes[10],
                  bytes[11], bytes[12], bytes[13], bytes[14], bytes[15]);
    return text;
}

} // namespace quillstone
