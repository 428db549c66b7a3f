#include "platform/NotificationPayload.h"

#include <charconv>
#include <limits>

namespace quillstone {

bool NotificationValue::isNumber() const {
    return std::holds_alternative<int64_t>(storage_) || std::holds_alternative<uint64_t>(storage_) ||
           std::holds_alternative<double>(storage_);
}

std::optional<int64_t> NotificationValue::exactInteger() const {
    if (auto value = std::get_if<int64_t>(&storage_)) {
        return *value;
    }
    if (auto value = std::get_if<uint64_t>(&storage_)) {
        if (*value <= static_cast<uint64_t>(std::numeric_limits<int64_t>::max())) {
            return static_cast<int64_t>(*value);
        }
    }
    return std::nullopt;
}

std::optional<double> NotificationValue::real() const {
    if (auto value = std::get_if<double>(&storage_)) {
        return *value;
    }
    return std::nullopt;
}

std::optional<bool> NotificationValue::boolean() const {
    if (auto value = std::get_if<bool>(&storage_)) {
        return *value;
    }
    return std::nullopt;
}

namespace {
template <typename Number> std::string shortest(Number value) {
    char buffer[64];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}
} // namespace

std::string NotificationValue::textualForm() const {
    return std::visit(
        [](const auto& value) -> std::string {
            using Type = std::decay_t<decltype(value)>;
            if constexpr (std::is_same_v<Type, bool>) {
                return value ? "true" : "false";
            } else if constexpr (std::is_same_v<Type, std::string>) {
                return value;
            } else if constexpr (std::is_same_v<Type, Other>) {
                return value.description;
            } else {
                return shortest(value);
            }
        },
        storage_);
}

} // namespace quillstone
