#pragma once

#include "platform/NotificationPayload.h"

#include <QDBusMessage>
#include <optional>

namespace quillstone {

// The user info a run-finished style signal carries, read defensively:
// - no argument: no user info;
// - one dictionary (a{sv}, a{ss}, a{iv}, ...): one entry per key, the key as
//   text; a variant is unwrapped once; any integer type (y n q i u x t) and d
//   become numbers, b a boolean, s a string; everything else (nested
//   containers, object paths, signatures, file descriptors, variants in
//   variants) becomes "other" with its D-Bus signature in angle brackets;
// - any other shape (a non-dictionary argument, more than one argument): an
//   empty user info, so the payload is logged and then rejected for lack of
//   keys instead of being mistaken for a notice without user info.
std::optional<NotificationUserInfo> userInfoFromDBusMessage(const QDBusMessage& message);

} // namespace quillstone
