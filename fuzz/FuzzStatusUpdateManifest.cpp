#include "status/StatusUpdateManifest.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

// A manifest that reads is a web address and survives being written again.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    auto manifest = quillstone::StatusUpdateManifest::decode(bytes);
    if (!manifest) {
        return 0;
    }
    // Schemes are case-insensitive: "hTtps://…" is a web address too.
    std::string scheme = manifest->downloadURL.substr(0, 4);
    std::transform(scheme.begin(), scheme.end(), scheme.begin(), [](unsigned char c) { return std::tolower(c); });
    if (scheme != "http") {
        std::abort();
    }
    nlohmann::json written = {
        {"version", manifest->version}, {"build", manifest->build}, {"downloadURL", manifest->downloadURL}};
    if (quillstone::StatusUpdateManifest::decode(written.dump()) != manifest) {
        std::abort();
    }
    return 0;
}
