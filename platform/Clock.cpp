#include "platform/Clock.h"

namespace quillstone {

SystemClock& SystemClock::shared() {
    static SystemClock clock;
    return clock;
}

} // namespace quillstone
