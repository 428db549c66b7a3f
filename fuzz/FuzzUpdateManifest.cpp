#include "setup/wizard/QuillstoneUpdateManifest.h"

#include <cstdint>
#include <string_view>

// The manifest comes from the network: any bytes decode or are refused, never more.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)quillstone::QuillstoneUpdateManifest::decode(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
