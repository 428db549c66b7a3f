#pragma once

#include "platform/ChildProcess.h"
#include "platform/CommandRunner.h"
#include "platform/HttpClient.h"
#include "status/StatusRefreshTimer.h"

#include <cerrno>
#include <functional>
#include <map>
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

} // namespace quillstone::testing
