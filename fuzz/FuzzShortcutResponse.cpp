#include "setup/monitor/SD4ShortcutResponse.h"

#include <cstdint>
#include <string>

// The Shortcut's answer is outside our control: decoding either succeeds or
// raises its own error, and the text rules take any bytes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    using quillstone::SD4ShortcutResponse;
    try {
        auto response = SD4ShortcutResponse::decode(bytes);
        quillstone::SD4RunEvent event;
        event.runID = response.runID;
        try {
            (void)response.resolvedRun(event);
        } catch (const std::runtime_error&) {
            // invalid result: expected for most inputs
        }
    } catch (const SD4ShortcutResponse::DecodingError&) {
    }
    (void)SD4ShortcutResponse::normalizedOutcome(bytes);
    (void)SD4ShortcutResponse::numberValue(bytes);
    (void)SD4ShortcutResponse::displayValue(bytes);
    return 0;
}
