#pragma once

#include "setup/monitor/SD4ResolvedRun.h"
#include "setup/monitor/SD4RunEvent.h"

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

namespace quillstone {

// The Shortcut's answer (output.json). Every value but "version" is a string,
// the counts too; a missing optional key and null both mean "not given".
struct SD4ShortcutResponse {
    // The answer is not JSON of the agreed shape.
    class DecodingError : public std::runtime_error {
    public:
        static constexpr const char* prefix = "The Quillstone Shortcut's answer could not be read: ";
        explicit DecodingError(const std::string& detail) : std::runtime_error(prefix + detail) {}
    };

    int64_t version = 0;
    std::string jobName;
    std::string runID;
    std::string outcome;
    std::string summary;
    std::string source;
    std::string destination;
    std::optional<std::string> bytesCopied;
    std::optional<std::string> itemsCopied;
    std::optional<std::string> itemsUpdated;
    std::optional<std::string> itemsDeleted;
    std::optional<std::string> startedAt;
    std::optional<std::string> endedAt;
    std::optional<std::string> bootable;
    std::optional<std::string> deferredCount;

    // Throws DecodingError.
    static SD4ShortcutResponse decode(std::string_view bytes);

    // Checks version, run id, outcome and job name against the event, in that
    // order; throws SD4ShortcutResolverError::invalidResponse.
    SD4ResolvedRun resolvedRun(const SD4RunEvent& event) const;

    // Trimmed, lower-cased, "-" and " " as "_", then an exact raw value.
    static std::optional<SD4RunOutcome> normalizedOutcome(std::string_view text);
    // The numeric characters in order, read as a decimal 64-bit integer:
    // "1,234 items" is 1234, "12.5 GB" is 125; none, overflow or a numeric
    // character that is no decimal digit gives nothing.
    static std::optional<int64_t> numberValue(const std::optional<std::string>& text);
    // Trimmed; blank gives nothing.
    static std::optional<std::string> displayValue(const std::optional<std::string>& text);
};

} // namespace quillstone
