#pragma once

#include "platform/FileManager.h"

#include <cstddef>
#include <filesystem>
#include <string>

namespace quillstone {

// Removes what a killed monitor leaves behind: the temporary siblings of its
// atomic writes (".sd4-run-ledger.json.Ab3xY9" and the like in the support
// folder, ".backup_status.json.Ab3xY9" in the status folder, which the user's
// cloud would otherwise carry to the phone) and the Shortcut work folders in
// the temporary directory. Only exact names of ours, owned by this user, are
// touched. Run it only while no other monitor of this user runs.
class SD4LeftoverSweeper {
public:
    SD4LeftoverSweeper(FileManager& fileManager, std::filesystem::path supportFolder,
                       std::filesystem::path temporaryDirectory);

    // How many items it removed; failures are skipped, a missing folder is fine.
    std::size_t sweep(const std::filesystem::path& statusFolder) const;

    // "." + target + "." + six letters or digits, as mkstemp makes them.
    static bool isTemporarySibling(const std::string& name, const std::string& target);
    // The resolver's prefix followed by a UUID in its textual form.
    static bool isWorkFolder(const std::string& name);

private:
    std::size_t sweepFolder(const std::filesystem::path& folder, bool (*matches)(const std::string&),
                            bool wantFolders) const;

    FileManager& fileManager_;
    std::filesystem::path supportFolder_;
    std::filesystem::path temporaryDirectory_;
};

} // namespace quillstone
