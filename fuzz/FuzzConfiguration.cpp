#include "setup/model/QuillstoneConfiguration.h"
#include "setup/service/QuillstoneInstalledComponents.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// What decodes must encode and decode back to the same value.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (auto configuration = quillstone::QuillstoneConfiguration::decode(bytes)) {
        if (quillstone::QuillstoneConfiguration::decode(configuration->encode()) != configuration) {
            std::abort();
        }
    }
    if (auto components = quillstone::QuillstoneInstalledComponents::decode(bytes)) {
        (void)components;
    }
    return 0;
}
