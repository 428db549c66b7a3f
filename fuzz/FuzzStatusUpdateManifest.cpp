#include "status/StatusUpdateManifest.h"

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
    if (manifest->downloadURL.rfind("http", 0) != 0) {
        std::abort();
    }
    nlohmann::json written = {
        {"version", manifest->version}, {"build", manifest->build}, {"downloadURL", manifest->downloadURL}};
    if (quillstone::StatusUpdateManifest::decode(written.dump()) != manifest) {
        std::abort();
    }
    return 0;
}
