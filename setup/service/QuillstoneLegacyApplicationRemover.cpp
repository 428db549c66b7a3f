#include "setup/service/QuillstoneLegacyApplicationRemover.h"

#include "platform/Bundle.h"
#include "setup/service/QuillstoneAdministratorCommand.h"
#include "setup/service/QuillstoneApplicationPaths.h"
#include "setup/service/QuillstoneUpgradeDetector.h"
#include "setup/service/QuillstoneUpgradeError.h"

#include <exception>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void failRemoval() {
    throw QuillstoneUpgradeError(QuillstoneUpgradeError::Code::legacyApplicationRemovalFailed);
}

} // namespace

QuillstoneLegacyApplicationRemover::Account QuillstoneLegacyApplicationRemover::Account::current() {
    return Account{::getuid(), ::getgid()};
}

QuillstoneLegacyApplicationRemover::QuillstoneLegacyApplicationRemover(FileManager& fileManager, Workspace& workspace,
                                                                       AdministratorScript& administratorScript,
                                                                       SystemLayout layout, fs::path currentBundle,
                                                                       Account account)
    : fileManager_(fileManager),
      workspace_(workspace),
      administratorScript_(administratorScript),
      layout_(std::move(layout)),
      currentBundle_(std::move(currentBundle)),
      account_(account) {}

void QuillstoneLegacyApplicationRemover::removeLegacyApplication(const fs::path& given) {
    // Every step works on the path that was validated.
    const fs::path url = QuillstoneApplicationPaths::standardized(given);
    if (!fileManager_.fileExists(url)) {
        return;
    }
    validateLegacyApplication(url);
    if (!fileManager_.isDeletableFile(url)) {
        moveAsAdministratorAndCheck(url);
        return;
    }
    try {
        workspace_.recycle({url});
    } catch (const std::exception&) {
        // The user's own Trash refused it; administrator approval is the way left.
        moveAsAdministratorAndCheck(url);
        return;
    }
    if (fileManager_.fileExists(url)) {
        moveAsAdministratorAndCheck(url);
    }
}

void QuillstoneLegacyApplicationRemover::moveAsAdministratorAndCheck(const fs::path& url) {
    moveToTrashWithAdministratorPrivileges(url);
    if (fileManager_.fileExists(url)) {
        failRemoval();
    }
}

void QuillstoneLegacyApplicationRemover::validateLegacyApplication(const fs::path& url) const {
    const fs::path standard = QuillstoneApplicationPaths::standardized(url);
    const fs::path applications = QuillstoneApplicationPaths::standardized(layout_.applicationsFolder);
    if (standard != applications / legacySetupApplicationName &&
        standard != applications / legacyVersionedApplicationName) {
        failRemoval();
    }
    if (standard == QuillstoneApplicationPaths::standardized(currentBundle_)) {
        failRemoval();
    }
    if (Bundle(standard).identifier() != std::string(QuillstoneUpgradeDetector::setupBundleIdentifier)) {
        failRemoval();
    }
    if (fileManager_.isSymbolicLink(standard)) {
        failRemoval();
    }
}

bool QuillstoneLegacyApplicationRemover::occupied(const fs::path& path) const {
    if (fileManager_.fileExists(path)) {
        return true;
    }
    // A dangling link still holds the name; mv would replace it.
    try {
        return fileManager_.isSymbolicLink(path);
    } catch (const std::exception&) {
        return false;
    }
}

fs::path QuillstoneLegacyApplicationRemover::trashDestination(const fs::path& url) const {
    const fs::path name = QuillstoneApplicationPaths::standardized(url).filename();
    const std::string base = name.stem().string();
    const std::string extension = name.extension().string();
    for (unsigned number = 0;; ++number) {
        std::string candidate = number == 0 ? base : base + " " + std::to_string(number);
        fs::path destination = layout_.trashFolder / (candidate + extension);
        if (!occupied(destination)) {
            return destination;
        }
    }
}

std::string QuillstoneLegacyApplicationRemover::moveToTrashCommand(const fs::path& source,
                                                                   const fs::path& destination) const {
    const std::string trash = QuillstoneAdministratorCommand::shellQuoted(layout_.trashFolder.string());
    const std::string from = QuillstoneAdministratorCommand::shellQuoted(source.string());
    const std::string to = QuillstoneAdministratorCommand::shellQuoted(destination.string());
    return "/bin/mkdir -p " + trash + " " + "&& /bin/mv " + from + " " + to + " " + "&& /usr/sbin/chown -R " +
           std::to_string(account_.userID) + ":" + std::to_string(account_.groupID) + " " + to;
}

void QuillstoneLegacyApplicationRemover::moveToTrashWithAdministratorPrivileges(const fs::path& url) {
    const fs::path source = QuillstoneApplicationPaths::standardized(url);
    const std::string command = moveToTrashCommand(source, trashDestination(source));
    try {
        administratorScript_.run(QuillstoneAdministratorCommand::appleScriptSource(command));
    } catch (const std::exception&) {
        // A refused prompt and a failed command look the same to the user.
        failRemoval();
    }
}

} // namespace quillstone
