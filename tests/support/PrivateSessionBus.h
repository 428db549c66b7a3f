#pragma once

#include "platform/ChildProcess.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <poll.h>
#include <stdexcept>
#include <string>
#include <unistd.h>

namespace quillstone::testing {

// A dbus-daemon of our own for one test suite, exported as the session bus
// of this process and its children while it lives.
class PrivateSessionBus {
public:
    PrivateSessionBus() {
        int ends[2];
        if (::pipe2(ends, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        daemon_ = std::make_unique<ChildProcess>("/usr/bin/dbus-daemon",
                                                 std::vector<std::string>{"--session", "--print-address=1", "--nofork"});
        daemon_->setStandardOutput(ChildProcess::Stream::descriptor, ends[1]);
        daemon_->setStandardInput(ChildProcess::Stream::null);
        try {
            daemon_->launch();
        } catch (...) {
            ::close(ends[0]);
            ::close(ends[1]);
            throw;
        }
        ::close(ends[1]);
        address_ = readLine(ends[0]);
        ::close(ends[0]);
        if (address_.empty()) {
            stopDaemon();
            throw std::runtime_error("dbus-daemon gave no address");
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
        stopDaemon();
    }
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    const std::string& address() const { return address_; }

private:
    static std::string readLine(int descriptor) {
        std::string line;
        char character = 0;
        pollfd waiting{descriptor, POLLIN, 0};
        while (::poll(&waiting, 1, 10000) > 0) {
            ssize_t got = ::read(descriptor, &character, 1);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got <= 0 || character == '\n') {
                break;
            }
            line += character;
        }
        return line;
    }

    void stopDaemon() {
        if (daemon_ && daemon_->isRunning()) {
            daemon_->terminate();
        }
        if (daemon_) {
            daemon_->waitUntilExit();
        }
    }

    std::unique_ptr<ChildProcess> daemon_;
    std::string address_;
    std::optional<std::string> previousAddress_;
};

} // namespace quillstone::testing
