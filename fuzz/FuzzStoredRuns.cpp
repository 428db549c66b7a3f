#include "setup/app/QuillstoneSetupSession.h"
#include "setup/monitor/SD4PendingRunStore.h"
#include "setup/monitor/SD4RunLedger.h"

#include <cstdint>
#include <cstdlib>
#include <string>

// The monitor's own files, whatever a crash or another program left in them.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string bytes(reinterpret_cast<const char*>(data), size);
    using namespace quillstone;
    if (auto pending = SD4PendingRunStore::decode(bytes)) {
        if (!SD4PendingRunStore::decode(SD4PendingRunStore::encode(*pending))) {
            std::abort();
        }
    }
    if (auto ledger = SD4RunLedger::decode(bytes)) {
        if (!SD4RunLedger::decode(SD4RunLedger::encode(*ledger))) {
            std::abort();
        }
    }
    if (auto record = QuillstoneSetupSession::Record::decode(bytes)) {
        if (!QuillstoneSetupSession::Record::decode(record->encode())) {
            std::abort();
        }
    }
    return 0;
}
