#pragma once

#include "status/LocalConfiguration.h"

#include <filesystem>
#include <optional>
#include <string>
#include <sys/types.h>

namespace quillstone {

class CommandRunner;

// The monitor as the status app sees it: loaded in launchd (SD4), or an
// installed script (Classic). Blocking; safe on any thread.
class MonitorAgent {
public:
    static constexpr const char* label = "com.quillstone.monitor";
    static constexpr const char* classicScriptName = "BackupMonitor.sh";

    MonitorAgent(CommandRunner& commands, std::filesystem::path launchctl, uid_t userID);

    // "gui/<uid>/com.quillstone.monitor"
    std::string serviceTarget() const;

    // Classic: the script exists and may be executed, no process started.
    // Otherwise `launchctl print <service>` exits 0; a launchctl that cannot start means inactive.
    bool isActive(const std::optional<LocalConfiguration>& configuration) const;
    // `launchctl kickstart -k <service>`, exit status ignored; false when it could not be started.
    bool kickstart() const;

private:
    // Runs launchctl silenced; nullopt when it could not be started.
    std::optional<bool> launchctl(const std::string& subcommand, bool kill) const;

    CommandRunner& commands_;
    std::filesystem::path launchctl_;
    uid_t userID_;
};

} // namespace quillstone
