#pragma once

#include "platform/Bundle.h"
#include "platform/FileManager.h"
#include "platform/LoginItemService.h"
#include "platform/RunningApplications.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// Login items as XDG autostart entries: <autostart>/<identifier>.desktop runs
// the helper bundle's executable at login. The helper is the bundle below
// <main bundle>/Contents/Library/LoginItems whose Info.plist names the
// identifier. Registering also starts the helper when it is not running, as
// the macOS login-item service does.
class XdgAutostartLoginItemService : public LoginItemService {
public:
    using Launcher = std::function<void(const std::filesystem::path&, const std::vector<std::string>&)>;

    XdgAutostartLoginItemService(FileManager& fileManager, Bundle mainBundle, std::filesystem::path autostartFolder,
                                 RunningApplications& runningApplications, Launcher launcher);

    // $XDG_CONFIG_HOME/autostart when that is an absolute path, else ~/.config/autostart.
    static std::filesystem::path defaultFolder(const UserDomain& domain);
    // The whole desktop entry, with the executable quoted for the Exec key.
    static std::string desktopEntry(const std::string& name, const std::filesystem::path& executable);
    static std::string quotedExecArgument(const std::string& argument);

    std::filesystem::path entryFile(const std::string& identifier) const;

    LoginItemStatus status(const std::string& identifier) override;
    void registerItem(const std::string& identifier) override;
    void unregisterItem(const std::string& identifier) override;

private:
    std::optional<Bundle> embeddedBundle(const std::string& identifier) const;

    FileManager& fileManager_;
    Bundle mainBundle_;
    std::filesystem::path autostartFolder_;
    RunningApplications& runningApplications_;
    Launcher launcher_;
};

} // namespace quillstone
