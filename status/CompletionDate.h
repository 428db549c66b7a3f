#pragma once

#include "platform/Clock.h"

#include <optional>
#include <string>
#include <string_view>

namespace quillstone::CompletionDate {

// An internet date-time ("2024-05-01T10:20:30Z" or "...+02:00", whole seconds),
// else the fixed en_US_POSIX pattern "yyyy-MM-dd'T'HH:mm:ssZ" ("...+0200").
std::optional<TimePoint> parse(std::string_view text);

// How long ago a completion was: "now" under a minute (and for the future),
// then "12m", "2h 5m", "1d 4h". A text that is no date comes back unchanged.
std::string ageText(const std::string& completedAt, TimePoint now);

} // namespace quillstone::CompletionDate
