#pragma once

#include "support/ProgramRun.h"

#include <csignal>
#include <cstdlib>
#include <memory>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace quillstone::testing {

// A dbus-daemon of our own for one test suite, exported as the session bus
// of this process and its children while it lives.
class PrivateSessionBus {
public:
    PrivateSessionBus() {
        // The daemon forks once it listens, printing its address and process id.
        auto started = ProgramRun::of("/usr/bin/dbus-daemon",
                                      {"--session", "--fork", "--nopidfile", "--print-address=1", "--print-pid=1"});
        std::istringstream lines(started.output);
        if (started.status != 0 || !std::getline(lines, address_) || address_.empty() || !(lines >> pid_) ||
            pid_ <= 0) {
            throw std::runtime_error("dbus-daemon gave no address: " + started.errors);
        }
        if (const char* previous = std::getenv("DBUS_SESSION_BUS_ADDRESS")) {
            previousAddress_ = previous;
        }
        ::setenv("DBUS_SESSION_BUS_ADDRESS", address_.c_str(), 1);
    }

    ~PrivateSessionBus() {
        if (previousAddress_) {
            ::setenv("DBUS_SESSION_BUS_ADDRESS", previousAddress_->c_str(), 1);
        } else {
            ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
        }
        ::kill(pid_, SIGTERM);
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    const std::string& address() const { return address_; }

private:
    std::string address_;
    pid_t pid_ = 0;
    std::optional<std::string> previousAddress_;
};

} // namespace quillstone::testing
