#include "platform/InternetDateTime.h"
#include "status/CompletionDate.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// Any "completedAt": a date reads back from its own UTC form and is "now" at
// that moment; anything else is shown exactly as written.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    auto moment = quillstone::CompletionDate::parse(text);
    if (!moment) {
        if (quillstone::CompletionDate::ageText(text, {}) != text) {
            std::abort();
        }
        return 0;
    }
    if (quillstone::CompletionDate::parse(quillstone::formatInternetDateTime(*moment)) != moment ||
        quillstone::CompletionDate::ageText(text, *moment) != "now") {
        std::abort();
    }
    return 0;
}
