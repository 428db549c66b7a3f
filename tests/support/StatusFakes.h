#pragma once

#include "platform/ChildProcess.h"
#include "platform/CommandRunner.h"
#include "platform/FileManager.h"
#include "platform/HttpClient.h"
#include "status/StatusPopover.h"
#include "status/StatusRefreshTimer.h"
#include "support/ManualBackgroundQueue.h"
#include "support/ManualMainQueue.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <cerrno>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quillstone::testing {

// A launchctl that answers per subcommand and records every call.
class ScriptedCommandRunner : public CommandRunner {
public:
    struct Call {
        std::filesystem::path tool;
        std::vector<std::string> arguments;
        bool silenced = false;
    };
    bool launchable = true;
    std::map<std::string, bool> succeeds; // by first argument; missing = true
    std::vector<Call> calls;

    bool run(const std::filesystem::path& tool, const std::vector<std::string>& arguments, bool silenced) override {
        if (!launchable) {
            throw ProcessLaunchError(ENOENT, tool);
        }
        calls.push_back({tool, arguments, silenced});
        auto answer = succeeds.find(arguments.empty() ? "" : arguments.front());
        return answer == succeeds.end() || answer->second;
    }
};

// A 5-second timer the test ticks by hand.
class ManualRefreshTimer : public StatusRefreshTimer {
public:
    std::chrono::milliseconds interval{0};
    bool running = false;

    void start(std::chrono::milliseconds every, std::function<void()> tick) override {
        interval = every;
        tick_ = std::move(tick);
        running = true;
    }
    void stop() override { running = false; }
    void tick() {
        if (running) {
            tick_();
        }
    }

private:
    std::function<void()> tick_;
};

class CannedHttpClient : public HttpClient {
public:
    HttpResponse response{true, 200, ""};
    std::vector<std::string> requests;

    HttpResponse get(const std::string& url) override {
        requests.push_back(url);
        return response;
    }
};

// What a test chooses of a status popover's collaborators.
struct StatusPopoverOptions {
    std::string manifestURL; // none: no update check
    std::optional<std::string> version = "2.3";
    std::optional<std::string> build = "40";
    CommandRunner* commands = nullptr; // else the scripted one
    std::filesystem::path launchctl = "/Helpers/launchctl";
};

// Every collaborator of a status popover, faked, in a throwaway home; 11:00 UTC on 1 May 2024.
class StatusPopoverRig {
public:
    using Options = StatusPopoverOptions;

    TemporaryFolder root;
    std::filesystem::path home = root / "home";
    PosixFileManager files{UserDomain::rootedAt(home)};
    ScriptedCommandRunner commands;
    CannedHttpClient http;
    ScriptedWorkspace workspace;
    ManualClock clock{std::chrono::sys_days(std::chrono::year(2024) / std::chrono::May / 1) +
                      std::chrono::hours(11)};
    ManualMainQueue mainQueue;
    ManualBackgroundQueue background;
    ManualRefreshTimer timer;

    std::unique_ptr<StatusPopover> makePopover(Options options = {}) {
        return std::make_unique<StatusPopover>(StatusPopover::Collaborators{
            files, options.commands ? *options.commands : commands, options.launchctl, 501, http, workspace, clock,
            mainQueue, background, timer, std::move(options.manifestURL), std::move(options.version),
            std::move(options.build)});
    }
    // Background work first, then what it handed back, until nothing is left.
    void settle() {
        while (background.runNext() || mainQueue.runNext()) {
        }
    }
};

} // namespace quillstone::testing
