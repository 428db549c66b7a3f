#pragma once

#include "platform/Clock.h"

#include <cstdint>
#include <string>

namespace quillstone {

// "2026-12-05T16:19:38Z": UTC, whole seconds (fractions dropped toward the past).
std::string formatInternetDateTime(TimePoint moment);
std::string formatInternetDateTimeFromUnixSeconds(int64_t seconds);

} // namespace quillstone
