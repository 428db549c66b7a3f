#include "status/LocalConfiguration.h"

#include <cstdint>
#include <cstdlib>
#include <nlohmann/json.hpp>
#include <string>

// What the status app reads of configuration.json reads back the same when written plainly.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    auto configuration = quillstone::LocalConfiguration::decode(bytes);
    if (!configuration) {
        return 0;
    }
    nlohmann::json written = {{"quillstoneFolderPath", configuration->quillstoneFolderPath}};
    if (configuration->integration) {
        written["integration"] = configuration->isClassic() ? "classic" : "sd4";
    }
    if (quillstone::LocalConfiguration::decode(written.dump()) != configuration) {
        std::abort();
    }
    return 0;
}
