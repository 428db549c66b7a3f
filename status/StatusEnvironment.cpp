#include "status/StatusEnvironment.h"

#include "platform/ChildProcessCommandRunner.h"
#include "platform/FileManager.h"
#include "platform/FreedesktopWorkspace.h"
#include "platform/UserIdentity.h"
#include "platform/qt/QtHttpClient.h"

namespace quillstone {

StatusEnvironment::StatusEnvironment(const Bundle& ownBundle, SystemTools tools, UserDomain domain)
    : tools_(std::move(tools)), files_(std::make_unique<PosixFileManager>(std::move(domain))),
      commands_(std::make_unique<ChildProcessCommandRunner>()), http_(std::make_unique<QtHttpClient>()),
      workspace_(std::make_unique<FreedesktopWorkspace>(
          *files_, std::vector<std::filesystem::path>{}, FreedesktopWorkspace::homeTrash(files_->userDomain()),
          SystemClock::shared(), tools_.open)),
      updateManifestURL_(ownBundle.infoString("QuillstoneUpdateManifestURL").value_or("")),
      currentVersion_(ownBundle.shortVersion()), currentBuild_(ownBundle.bundleVersion()) {}

StatusEnvironment::~StatusEnvironment() = default;

void StatusEnvironment::cancelRequests() { http_->cancelAll(); }

std::unique_ptr<StatusEnvironment> StatusEnvironment::forRunningBundle() {
    return std::make_unique<StatusEnvironment>(Bundle::main(), SystemTools::current(), UserDomain::fromEnvironment());
}

StatusPopover::Collaborators StatusEnvironment::collaborators(MainQueue& mainQueue, BackgroundQueue& backgroundQueue,
                                                              StatusRefreshTimer& timer) {
    return StatusPopover::Collaborators{*files_,           *commands_,         tools_.launchctl,
                                        UserIdentity::current().userID, *http_, *workspace_,
                                        SystemClock::shared(), mainQueue,   backgroundQueue,
                                        timer,            updateManifestURL_, currentVersion_,
                                        currentBuild_};
}

} // namespace quillstone
