#include "platform/AppleJson.h"
#include "setup/model/QuillstoneStatusDocument.h"
#include "status/StatusDocument.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Any file in the status folder: the merge reading always yields an object with
// a "backups" array of objects that prints to valid JSON of bounded size, and the
// status app's reader never crashes.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    auto root = quillstone::QuillstoneStatusDocument::readForMerge(bytes);
    if (!root.is_object() || !root["backups"].is_array()) {
        std::abort();
    }
    for (const auto& entry : root["backups"]) {
        if (!entry.is_object()) {
            std::abort();
        }
    }
    // Printing stays within a small multiple of the input, however it is nested.
    auto written = quillstone::prettyJson(root);
    if (!nlohmann::json::accept(written) || written.size() > 6 * bytes.size() + 64) {
        std::abort();
    }
    (void)quillstone::StatusDocument::decode(bytes);
    return 0;
}
