#pragma once

#include "platform/ChildProcess.h"
#include "platform/FileManager.h"
#include "platform/CommandRunner.h"
#include "platform/LoginItemService.h"
#include "platform/Sleeper.h"
#include "setup/service/SD4MonitorServiceError.h"

#include <algorithm>
#include <cerrno>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "support/FakeRunningApplications.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

namespace quillstone::testing {

// Every fake writes what it was asked into one journal, so call order across
// collaborators can be checked.
using Journal = std::vector<std::string>;

class JournalingRunningApplications : public FakeRunningApplications {
public:
    explicit JournalingRunningApplications(Journal& journal) : journal_(journal) {}

    std::vector<RunningApplication>& apps = running;
    bool killedAppsLinger = false;

    void start(pid_t pid, const std::string& identifier) { apps.push_back({pid, identifier, "/status.app"}); }

    bool forceTerminate(const RunningApplication& application) override {
        journal_.push_back("kill " + std::to_string(application.processIdentifier));
        if (!killedAppsLinger) {
            std::erase_if(apps, [&](const auto& app) { return app.processIdentifier == application.processIdentifier; });
        }
        return true;
    }

private:
    Journal& journal_;
};

class FakeLoginItems : public LoginItemService {
public:
    explicit FakeLoginItems(Journal& journal) : journal_(journal) {}

    static constexpr const char* refusal = "The login item was refused.";
    LoginItemStatus current = LoginItemStatus::notRegistered;
    bool refuseRegister = false;
    bool refuseUnregister = false;
    // Called after a successful registration (the system starting the item).
    std::function<void()> onRegister;

    LoginItemStatus status(const std::string&) override { return current; }
    void registerItem(const std::string& identifier) override {
        journal_.push_back("register " + identifier);
        if (refuseRegister) {
            throw std::runtime_error(refusal);
        }
        current = LoginItemStatus::enabled;
        if (onRegister) {
            onRegister();
        }
    }
    void unregisterItem(const std::string& identifier) override {
        journal_.push_back("unregister " + identifier);
        if (refuseUnregister) {
            throw std::runtime_error(refusal);
        }
        current = LoginItemStatus::notRegistered;
    }

private:
    Journal& journal_;
};

// Time moves only when someone sleeps.
class ManualSleeper : public Sleeper {
public:
    std::vector<std::chrono::milliseconds> sleeps;
    // Called after each sleep with the total time slept so far.
    std::function<void(std::chrono::milliseconds)> onSleep;

    TimePoint now() const override { return TimePoint{} + slept_; }
    void sleep(std::chrono::milliseconds duration) override {
        sleeps.push_back(duration);
        slept_ += duration;
        if (onSleep) {
            onSleep(slept_);
        }
    }
    std::chrono::milliseconds slept() const { return slept_; }

private:
    std::chrono::milliseconds slept_{0};
};

class RecordingCommandRunner : public CommandRunner {
public:
    struct Call {
        std::filesystem::path tool;
        std::vector<std::string> arguments;
        bool silenced;
    };

    explicit RecordingCommandRunner(Journal& journal) : journal_(journal) {}

    std::vector<Call> calls;
    // First argument -> exit success; missing means success.
    std::map<std::string, bool> succeeds;
    std::function<void(const Call&)> onRun;

    bool run(const std::filesystem::path& tool, const std::vector<std::string>& arguments, bool silenced) override {
        std::string line = tool.filename().string();
        for (const auto& argument : arguments) {
            line += " " + argument;
        }
        journal_.push_back(line);
        calls.push_back({tool, arguments, silenced});
        if (onRun) {
            onRun(calls.back());
        }
        auto result = succeeds.find(arguments.empty() ? "" : arguments.front());
        return result == succeeds.end() || result->second;
    }

private:
    Journal& journal_;
};

// The code a service action failed with; its message must be the code's own.
inline SD4MonitorServiceError::Code failureOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const SD4MonitorServiceError& error) {
        EXPECT_STREQ(error.what(), SD4MonitorServiceError::description(error.code()));
        return error.code();
    }
    ADD_FAILURE() << "no SD4MonitorServiceError";
    return SD4MonitorServiceError::Code::missingExecutable;
}

// The collaborators every service test fakes, writing into one journal, in a
// temporary root with the home below it.
class ServiceFakesTest : public ::testing::Test {
protected:
    static constexpr const char* statusID = "com.quillstone.Quillstone-Setup.Status";

    TemporaryFolder root;
    Journal journal;
    FakeLoginItems loginItems{journal};
    JournalingRunningApplications running{journal};
    RecordingCommandRunner runner{journal};
    ManualSleeper sleeper;
    PosixFileManager files{UserDomain::rootedAt(root / "home")};
};

} // namespace quillstone::testing
