#pragma once

#include "platform/NotificationPayload.h"

#include <ostream>

namespace quillstone {

// Readable values in GoogleTest failure messages.
inline void PrintTo(const NotificationValue& value, std::ostream* stream) {
    *stream << (value.isString() ? "\"" + value.textualForm() + "\"" : value.textualForm());
}

} // namespace quillstone
