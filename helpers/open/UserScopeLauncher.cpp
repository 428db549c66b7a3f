#include "helpers/open/UserScopeLauncher.h"

#include "helpers/launchctl/AgentProcess.h"
#include "helpers/launchctl/ServiceManagerChoice.h"
#include "helpers/launchctl/Systemctl.h"

namespace quillstone {

namespace fs = std::filesystem;

UserScopeLauncher::UserScopeLauncher(FindScopeRunner findScopeRunner, Launch launch)
    : findScopeRunner_(std::move(findScopeRunner)), launch_(std::move(launch)) {}

void UserScopeLauncher::launch(const fs::path& executable, const std::vector<std::string>& arguments) {
    if (!scopeRunner_) {
        scopeRunner_ = findScopeRunner_();
    }
    if (!*scopeRunner_) {
        launch_(executable, arguments);
        return;
    }
    std::vector<std::string> words{"--user", "--scope", "--quiet", "--", executable.string()};
    words.insert(words.end(), arguments.begin(), arguments.end());
    launch_(**scopeRunner_, words);
}

std::optional<fs::path> UserScopeLauncher::findSystemdRun(const std::vector<std::string>& environment) {
    auto systemctl = ServiceManagerChoice::systemctlProgram(environment);
    if (systemctl.empty() || !fs::path(systemctl).is_absolute() || !ProcessSystemctl(systemctl).answers()) {
        return std::nullopt;
    }
    std::optional<std::string> runner;
    for (const auto& entry : environment) {
        if (entry.rfind("QUILLSTONE_SYSTEMD_RUN=", 0) == 0) {
            runner = entry.substr(entry.find('=') + 1);
        }
    }
    if (!runner) {
        runner = AgentProcess::resolveProgram("systemd-run", AgentProcess::searchPath(environment));
    }
    // Never a program found relative to the working folder.
    if (!runner || !fs::path(*runner).is_absolute()) {
        return std::nullopt;
    }
    return fs::path(*runner);
}

} // namespace quillstone
