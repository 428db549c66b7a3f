#include "helpers/launchctl/LaunchAgentDefinition.h"
#include "platform/Plist.h"

#include <cstdint>
#include <string>

// Agent property lists reach launchctl from disk: parsing must fail cleanly.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    if (auto plist = quillstone::Plist::parse(bytes)) {
        (void)plist->string("Label");
        (void)plist->stringArray("ProgramArguments");
        (void)plist->boolean("KeepAlive");
        (void)plist->keys();
    }
    try {
        (void)quillstone::LaunchAgentDefinition::fromPropertyList(bytes);
    } catch (const std::exception&) {
    }
    return 0;
}
