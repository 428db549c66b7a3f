#include "platform/InternetDateTime.h"

#include <cstdio>
#include <ctime>

namespace quillstone {

std::string formatInternetDateTime(TimePoint moment) {
    auto seconds = std::chrono::floor<std::chrono::seconds>(moment.time_since_epoch()).count();
    return formatInternetDateTimeFromUnixSeconds(seconds);
}

std::string formatInternetDateTimeFromUnixSeconds(int64_t seconds) {
    time_t value = static_cast<time_t>(seconds);
    std::tm parts{};
    if (gmtime_r(&value, &parts) == nullptr) {
        return {};
    }
    char text[64];
    std::snprintf(text, sizeof text, "%04lld-%02d-%02dT%02d:%02d:%02dZ", static_cast<long long>(parts.tm_year) + 1900,
                  parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec);
    return text;
}

} // namespace quillstone
