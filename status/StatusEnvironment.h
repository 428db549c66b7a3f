#pragma once

#include "platform/Bundle.h"
#include "platform/SystemTools.h"
#include "platform/UserDomain.h"
#include "status/StatusPopover.h"

#include <memory>
#include <optional>
#include <string>

namespace quillstone {

class PosixFileManager;

// The real collaborators of the status panel for the running status bundle:
// the files of this user, the enclosing setup bundle's launchctl and open,
// the network, and the version and manifest address from its own Info.plist.
// Declare the background queue after this object, so that destroying the
// queue first waits for the work that still uses these.
class StatusEnvironment {
public:
    StatusEnvironment(const Bundle& ownBundle, SystemTools tools, UserDomain domain);
    ~StatusEnvironment();
    StatusEnvironment(const StatusEnvironment&) = delete;
    StatusEnvironment& operator=(const StatusEnvironment&) = delete;

    // This process: Bundle::main(), SystemTools::current(), the environment's user domain.
    static std::unique_ptr<StatusEnvironment> forRunningBundle();

    // Everything but the main thread's pieces, which the program brings.
    StatusPopover::Collaborators collaborators(MainQueue& mainQueue, BackgroundQueue& backgroundQueue,
                                               StatusRefreshTimer& timer);

    // Quitting: requests in flight end now rather than when the server answers.
    void cancelRequests();

    const SystemTools& tools() const { return tools_; }
    const std::string& updateManifestURL() const { return updateManifestURL_; }

private:
    SystemTools tools_;
    std::unique_ptr<PosixFileManager> files_;
    std::unique_ptr<CommandRunner> commands_;
    std::unique_ptr<HttpClient> http_;
    std::unique_ptr<Workspace> workspace_;
    std::string updateManifestURL_;
    std::optional<std::string> currentVersion_;
    std::optional<std::string> currentBuild_;
};

} // namespace quillstone
