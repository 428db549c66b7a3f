#pragma once

#include "platform/FileManager.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace quillstone {

// The per-user folder of installed shortcuts: each shortcut is an executable
// named after it, in $XDG_DATA_HOME/shortcuts (else ~/.local/share/shortcuts).
class ShortcutLibrary {
public:
    static constexpr const char* folderName = "shortcuts";
    static constexpr const char* invalidNameDescription = "The shortcut name is not valid: ";

    ShortcutLibrary(FileManager& fileManager, std::filesystem::path folder);
    // The folder of the file manager's user domain.
    static std::filesystem::path folderFor(const UserDomain& domain);

    const std::filesystem::path& folder() const { return folder_; }
    // Installed names in ascending byte order; empty when the folder does not exist.
    std::vector<std::string> names() const;
    // The executable of an installed shortcut; nullopt when there is none by that name.
    std::optional<std::filesystem::path> executable(const std::string& name) const;
    // Copies the file in as an executable named after it without its extension,
    // replacing an older copy. Returns the installed name. Throws FileError.
    std::string install(const std::filesystem::path& file);

    // A name that stays inside the folder: not empty, no "/", not "." or "..".
    static bool isValidName(const std::string& name);

private:
    FileManager& fileManager_;
    std::filesystem::path folder_;
};

} // namespace quillstone
