#pragma once

#include "helpers/open/DetachedLauncher.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// Starts an application as the desktop does: detached, and where a systemd
// user manager answers, in a scope of its own (`systemd-run --user --scope`),
// so it never belongs to the unit of whoever asked (the monitor's agent, say)
// and outlives that unit's stop.
class UserScopeLauncher : public DetachedLauncher {
public:
    // The program that starts a command in a new user scope, or nullopt when
    // no user manager answers. Asked once, at the first launch.
    using FindScopeRunner = std::function<std::optional<std::filesystem::path>()>;
    using Launch = std::function<void(const std::filesystem::path&, const std::vector<std::string>&)>;

    UserScopeLauncher(FindScopeRunner findScopeRunner, Launch launch);
    void launch(const std::filesystem::path& executable, const std::vector<std::string>& arguments) override;

    // systemd-run along PATH (QUILLSTONE_SYSTEMD_RUN names another, for tests),
    // when the user manager answers `systemctl --user`.
    static std::optional<std::filesystem::path> findSystemdRun(const std::vector<std::string>& environment);

private:
    FindScopeRunner findScopeRunner_;
    Launch launch_;
    std::optional<std::optional<std::filesystem::path>> scopeRunner_;
};

} // namespace quillstone
