#include "helpers/osascript/AdministratorCommand.h"
#include "setup/service/QuillstoneAdministratorCommand.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Whatever reaches the osascript stand-in as -e SOURCE: a clean refusal or one
// command. And any command the setup program wraps comes back unchanged.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillstone;
    std::string bytes(reinterpret_cast<const char*>(data), size);
    try {
        for (bool runsDirectly : {false, true}) {
            auto invocation =
                AdministratorCommand::invocation({"-e", bytes}, std::string("/usr/bin/pkexec"), runsDirectly);
            if (invocation.empty()) {
                std::abort();
            }
        }
    } catch (const std::exception&) {
    }
    if (AdministratorCommand::fromAppleScript(QuillstoneAdministratorCommand::appleScriptSource(bytes)) != bytes) {
        std::abort();
    }
    return 0;
}
