#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <variant>

namespace quillstone {

// One value of a distributed notification's user info, as the sender typed it.
// Integers keep their exact value; anything that is not a number, boolean or
// string is kept only as a textual form.
class NotificationValue {
public:
    struct Other {
        std::string description;
        bool operator==(const Other&) const = default;
    };
    using Storage = std::variant<int64_t, uint64_t, double, bool, std::string, Other>;

    static NotificationValue signedInteger(int64_t value) { return NotificationValue(Storage(value)); }
    static NotificationValue unsignedInteger(uint64_t value) { return NotificationValue(Storage(value)); }
    static NotificationValue real(double value) { return NotificationValue(Storage(value)); }
    static NotificationValue boolean(bool value) { return NotificationValue(Storage(value)); }
    static NotificationValue string(std::string value) { return NotificationValue(Storage(std::move(value))); }
    static NotificationValue other(std::string description) {
        return NotificationValue(Storage(Other{std::move(description)}));
    }

    bool isNumber() const;
    bool isBoolean() const { return std::holds_alternative<bool>(storage_); }
    bool isString() const { return std::holds_alternative<std::string>(storage_); }

    // The value when the sender gave an integer that fits a signed 64-bit integer.
    std::optional<int64_t> exactInteger() const;
    // The value when the sender gave a floating-point number.
    std::optional<double> real() const;
    std::optional<bool> boolean() const;
    const std::string* string() const { return std::get_if<std::string>(&storage_); }

    // Integers in decimal, reals in their shortest exact form, booleans as
    // true/false, strings as they are, anything else as its description.
    std::string textualForm() const;

    const Storage& storage() const { return storage_; }
    bool operator==(const NotificationValue&) const = default;

private:
    explicit NotificationValue(Storage storage) : storage_(std::move(storage)) {}
    Storage storage_;
};

// Keys are kept in plain byte order.
using NotificationUserInfo = std::map<std::string, NotificationValue>;

} // namespace quillstone
