#include "setup/monitor/SD4ShortcutResolverError.h"

namespace quillstone {

SD4ShortcutResolverError::SD4ShortcutResolverError(Code code, const std::string& description, std::string message)
    : std::runtime_error(description), code_(code), message_(std::move(message)) {}

SD4ShortcutResolverError SD4ShortcutResolverError::shortcutFailed(const std::string& message) {
    return SD4ShortcutResolverError(Code::shortcutFailed, shortcutFailedPrefix + message, message);
}

SD4ShortcutResolverError SD4ShortcutResolverError::invalidResponse() {
    return SD4ShortcutResolverError(Code::invalidResponse, invalidResponseDescription, {});
}

} // namespace quillstone
