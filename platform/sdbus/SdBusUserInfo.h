#pragma once

#include "platform/NotificationPayload.h"

#include <optional>

struct sd_bus_message;

namespace quillstone {

// The user info a run-finished style signal carries, read defensively from
// the start of the message:
// - no argument: no user info;
// - one dictionary (a{sv}, a{ss}, a{iv}, ...): one entry per key, the key as
//   text; a variant is unwrapped once; any integer type (y n q i u x t) and d
//   become numbers, b a boolean, s a string; everything else (containers,
//   object paths, signatures, file descriptors, variants in variants) becomes
//   "other" with its D-Bus signature in angle brackets;
// - any other shape (a non-dictionary argument, more than one argument, a
//   message that cannot be read): an empty user info, so the payload is logged
//   and then rejected for lack of keys instead of being taken for a notice
//   without user info.
std::optional<NotificationUserInfo> userInfoFromSdBusMessage(sd_bus_message* message);

} // namespace quillstone
