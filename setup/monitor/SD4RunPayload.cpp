#include "setup/monitor/SD4RunPayload.h"

#include "setup/monitor/SD4RunOutcome.h"

#include <cmath>

namespace quillstone {

namespace {

const NotificationValue* find(const NotificationUserInfo& userInfo, const char* key) {
    auto found = userInfo.find(key);
    return found == userInfo.end() ? nullptr : &found->second;
}

// The text of a non-empty string value, else nullopt.
std::optional<std::string> nonEmptyString(const NotificationUserInfo& userInfo, const char* key) {
    const NotificationValue* value = find(userInfo, key);
    if (value == nullptr || value->string() == nullptr || value->string()->empty()) {
        return std::nullopt;
    }
    return *value->string();
}

std::string textualFormOrMissing(const NotificationUserInfo& userInfo, const char* key) {
    const NotificationValue* value = find(userInfo, key);
    return value ? value->textualForm() : SD4RunPayload::missingText;
}

const char* flag(bool value) { return value ? "true" : "false"; }

bool isVersionOne(const NotificationValue& value) {
    if (auto integer = value.exactInteger()) {
        return *integer == 1;
    }
    if (auto real = value.real()) {
        return *real == 1.0;
    }
    return false;
}

} // namespace

std::string SD4RunPayload::diagnosticLine(const std::optional<NotificationUserInfo>& userInfo) {
    if (!userInfo) {
        return receivedWithoutUserInfoText;
    }
    std::string line = receivedKeysText;
    bool first = true;
    for (const auto& [key, value] : *userInfo) {
        line += first ? "" : ",";
        line += key;
        first = false;
    }
    line += " version=" + textualFormOrMissing(*userInfo, versionKey);
    line += " outcome=" + textualFormOrMissing(*userInfo, outcomeKey);
    line += std::string(" jobID=") + flag(nonEmptyString(*userInfo, copyJobIDKey).has_value());
    line += std::string(" runID=") + flag(nonEmptyString(*userInfo, runIDKey).has_value());
    line += std::string(" endedAt=") + flag(find(*userInfo, endedAtKey) != nullptr);
    return line;
}

std::optional<int64_t> SD4RunPayload::endedAtUnixNanos(const NotificationValue& value) {
    if (auto integer = value.exactInteger()) {
        return integer;
    }
    auto real = value.real();
    // -2^63 is exact as a double; 2^63 is the first value that no longer fits.
    constexpr double lowest = -9223372036854775808.0;
    constexpr double pastHighest = 9223372036854775808.0;
    if (!real || !std::isfinite(*real) || *real < lowest || *real >= pastHighest) {
        return std::nullopt;
    }
    return static_cast<int64_t>(std::trunc(*real));
}

std::optional<SD4RunEvent> SD4RunPayload::event(const std::optional<NotificationUserInfo>& userInfo) {
    if (!userInfo) {
        return std::nullopt;
    }
    const NotificationValue* version = find(*userInfo, versionKey);
    if (version == nullptr || !isVersionOne(*version)) {
        return std::nullopt;
    }
    auto copyJobID = nonEmptyString(*userInfo, copyJobIDKey);
    if (!copyJobID) {
        return std::nullopt;
    }
    auto runID = nonEmptyString(*userInfo, runIDKey);
    if (!runID) {
        return std::nullopt;
    }
    const NotificationValue* outcomeValue = find(*userInfo, outcomeKey);
    auto outcome = outcomeValue && outcomeValue->string() ? outcomeFromRawValue(*outcomeValue->string())
                                                          : std::nullopt;
    if (!outcome) {
        return std::nullopt;
    }
    const NotificationValue* isCatchup = find(*userInfo, isCatchupKey);
    if (isCatchup == nullptr || !isCatchup->boolean()) {
        return std::nullopt;
    }
    const NotificationValue* endedAtValue = find(*userInfo, endedAtKey);
    auto endedAt = endedAtValue ? endedAtUnixNanos(*endedAtValue) : std::nullopt;
    if (!endedAt || *endedAt < 1) {
        return std::nullopt;
    }
    SD4RunEvent event;
    event.version = 1;
    event.copyJobID = std::move(*copyJobID);
    event.runID = std::move(*runID);
    event.outcome = *outcome;
    event.isCatchup = *isCatchup->boolean();
    event.endedAtUnixNanos = *endedAt;
    return event;
}

} // namespace quillstone
