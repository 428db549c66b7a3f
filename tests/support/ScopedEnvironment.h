#pragma once

#include <cstdlib>
#include <map>
#include <optional>
#include <string>

namespace quillstone::testing {

// Sets or clears environment variables for one test and restores them after.
class ScopedEnvironment {
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment() {
        for (const auto& [name, value] : saved_) {
            if (value) {
                ::setenv(name.c_str(), value->c_str(), 1);
            } else {
                ::unsetenv(name.c_str());
            }
        }
    }

    void set(const std::string& name, const std::string& value) {
        remember(name);
        ::setenv(name.c_str(), value.c_str(), 1);
    }
    void clear(const std::string& name) {
        remember(name);
        ::unsetenv(name.c_str());
    }

private:
    // Only the first value seen is the one to restore.
    void remember(const std::string& name) {
        const char* value = std::getenv(name.c_str());
        saved_.try_emplace(name, value != nullptr ? std::optional<std::string>(value) : std::nullopt);
    }
    std::map<std::string, std::optional<std::string>> saved_;
};

} // namespace quillstone::testing
