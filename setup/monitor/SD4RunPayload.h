#pragma once

#include "platform/NotificationPayload.h"
#include "setup/monitor/SD4RunEvent.h"

#include <optional>
#include <string>

namespace quillstone {

// The user info of SuperDuper! 4's run-finished notification: the one line
// that describes what arrived, and the validation into an SD4RunEvent.
class SD4RunPayload {
public:
    static constexpr const char* notificationName = "com.shirtpocket.SuperDuper.runFinished";

    static constexpr const char* versionKey = "version";
    static constexpr const char* copyJobIDKey = "copy_job_id";
    static constexpr const char* runIDKey = "run_id";
    static constexpr const char* outcomeKey = "outcome";
    static constexpr const char* isCatchupKey = "is_catchup";
    static constexpr const char* endedAtKey = "ended_at_unix_nanos";

    static constexpr const char* receivedWithoutUserInfoText = "notification received without userInfo";
    static constexpr const char* receivedKeysText = "notification received keys=";
    static constexpr const char* missingText = "missing";

    // Written for every notification, also for those that are then rejected.
    static std::string diagnosticLine(const std::optional<NotificationUserInfo>& userInfo);

    // The validated event, or nullopt at the first rule the payload breaks.
    static std::optional<SD4RunEvent> event(const std::optional<NotificationUserInfo>& userInfo);

    // The end time as a signed 64-bit integer: integers exactly, other numbers
    // truncated. NaN, infinities and values outside the range have none.
    static std::optional<int64_t> endedAtUnixNanos(const NotificationValue& value);
};

} // namespace quillstone
