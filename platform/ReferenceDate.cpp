#include "platform/ReferenceDate.h"

namespace quillstone {

namespace {
// 2001-01-01T00:00:00Z in Unix seconds.
constexpr double referenceDateUnixSeconds = 978307200.0;
} // namespace

double secondsSinceReferenceDate(TimePoint moment) {
    return std::chrono::duration<double>(moment.time_since_epoch()).count() - referenceDateUnixSeconds;
}

} // namespace quillstone
