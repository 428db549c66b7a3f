#pragma once

#include "platform/Clock.h"

namespace quillstone {

// Seconds since 2001-01-01T00:00:00Z, fractional: the way Apple's files store a moment.
double secondsSinceReferenceDate(TimePoint moment);

} // namespace quillstone
