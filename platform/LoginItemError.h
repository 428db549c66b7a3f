#pragma once

#include <stdexcept>

namespace quillstone {

// A login item the system cannot register.
class LoginItemError : public std::runtime_error {
public:
    enum class Code { notFound };
    static constexpr const char* notFoundDescription = "The login item could not be found in the application.";

    explicit LoginItemError(Code code) : std::runtime_error(notFoundDescription), code_(code) {}
    Code code() const { return code_; }

private:
    Code code_;
};

} // namespace quillstone
