#include "setup/wizard/QuillstoneShortcutList.h"

#include <cstdint>
#include <string_view>

// Whatever the shortcuts tool prints, the answer is a plain yes or no.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    (void)quillstone::QuillstoneShortcutList::contains(std::string_view(reinterpret_cast<const char*>(data), size),
                                                       "Quillstone SuperDuper Details");
    return 0;
}
