#include "setup/monitor/SD4RunPayload.h"

#include <cstdint>
#include <cstring>
#include <string>

namespace {

// Reads a user-info dictionary out of raw bytes: per entry a type byte, a
// key and a value, so the fuzzer can reach every shape a sender could post.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), left_(size) {}
    bool empty() const { return left_ == 0; }
    uint8_t byte() { return take(1) ? data_[-1] : 0; }
    std::string text() {
        size_t length = byte() % 24;
        length = std::min(length, left_);
        std::string value(reinterpret_cast<const char*>(data_), length);
        take(length);
        return value;
    }
    template <typename T> T number() {
        T value{};
        if (left_ >= sizeof value) {
            std::memcpy(&value, data_, sizeof value);
        }
        take(std::min(left_, sizeof value));
        return value;
    }

private:
    bool take(size_t count) {
        if (count > left_) {
            return false;
        }
        data_ += count;
        left_ -= count;
        return true;
    }
    const uint8_t* data_;
    size_t left_;
};

const char* const knownKeys[] = {"version", "copy_job_id", "run_id", "outcome", "is_catchup", "ended_at_unix_nanos"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace quillstone;
    Reader reader(data, size);
    std::optional<NotificationUserInfo> userInfo;
    if (reader.byte() % 8 != 0) {
        userInfo.emplace();
        while (!reader.empty()) {
            uint8_t kind = reader.byte();
            std::string key = kind & 0x80 ? std::string(knownKeys[(kind >> 3) % 6]) : reader.text();
            switch (kind % 6) {
            case 0: userInfo->insert_or_assign(key, NotificationValue::signedInteger(reader.number<int64_t>())); break;
            case 1: userInfo->insert_or_assign(key, NotificationValue::unsignedInteger(reader.number<uint64_t>())); break;
            case 2: userInfo->insert_or_assign(key, NotificationValue::real(reader.number<double>())); break;
            case 3: userInfo->insert_or_assign(key, NotificationValue::boolean(reader.byte() & 1)); break;
            case 4: userInfo->insert_or_assign(key, NotificationValue::string(reader.text())); break;
            default: userInfo->insert_or_assign(key, NotificationValue::other(reader.text())); break;
            }
        }
    }
    (void)SD4RunPayload::diagnosticLine(userInfo);
    if (auto event = SD4RunPayload::event(userInfo)) {
        if (event->endedAtUnixNanos < 1 || event->copyJobID.empty() || event->runID.empty()) {
            __builtin_trap();
        }
    }
    return 0;
}
