#pragma once

#include "platform/AdministratorScript.h"
#include "platform/FileManager.h"
#include "platform/SystemLayout.h"
#include "platform/Workspace.h"

#include <filesystem>
#include <string>
#include <sys/types.h>

namespace quillstone {

// Moves an old copy of the setup application to the Trash, with administrator
// approval when the user cannot. Only the two known old locations are ever touched.
class QuillstoneLegacyApplicationRemover {
public:
    static constexpr const char* legacySetupApplicationName = "Quillstone Setup.app";
    static constexpr const char* legacyVersionedApplicationName = "Quillstone Setup for macOS v2.2.app";

    struct Account {
        uid_t userID;
        gid_t groupID;
        // The real ids of this process.
        static Account current();
    };

    QuillstoneLegacyApplicationRemover(FileManager& fileManager, Workspace& workspace,
                                       AdministratorScript& administratorScript, SystemLayout layout,
                                       std::filesystem::path currentBundle, Account account = Account::current());

    // Nothing at the path counts as removed. Throws QuillstoneUpgradeError or a file error.
    void removeLegacyApplication(const std::filesystem::path& url);
    // Throws legacyApplicationRemovalFailed unless the path is a known old copy of this application.
    void validateLegacyApplication(const std::filesystem::path& url) const;
    // One administrator command: create the Trash, move the bundle in, hand it back to the user.
    void moveToTrashWithAdministratorPrivileges(const std::filesystem::path& url);

    // The first free name in the Trash: "X.app", "X 1.app", "X 2.app", ...
    std::filesystem::path trashDestination(const std::filesystem::path& url) const;
    // The shell command of the administrator move.
    std::string moveToTrashCommand(const std::filesystem::path& source,
                                   const std::filesystem::path& destination) const;

private:
    bool occupied(const std::filesystem::path& path) const;
    void moveAsAdministratorAndCheck(const std::filesystem::path& url);

    FileManager& fileManager_;
    Workspace& workspace_;
    AdministratorScript& administratorScript_;
    SystemLayout layout_;
    std::filesystem::path currentBundle_;
    Account account_;
};

} // namespace quillstone
