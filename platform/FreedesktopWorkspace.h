#pragma once

#include "platform/Clock.h"
#include "platform/FileManager.h"
#include "platform/Workspace.h"

#include <filesystem>
#include <vector>

namespace quillstone {

// Linux stand-in for the desktop workspace: applications are the bundles in
// the given folders, and the Trash is the freedesktop.org home trash.
class FreedesktopWorkspace : public Workspace {
public:
    static constexpr const char* trashOperation = "Could not move to the Trash";

    // openTool: the `open` command that takes a file or an address; empty = the
    // running platform's.
    FreedesktopWorkspace(FileManager& fileManager, std::vector<std::filesystem::path> applicationFolders,
                         std::filesystem::path trashFolder, const Clock& clock = SystemClock::shared(),
                         std::filesystem::path openTool = {});

    // $XDG_DATA_HOME/Trash (or ~/.local/share/Trash) of the file manager's user.
    static std::filesystem::path homeTrash(const UserDomain& domain);

    std::vector<std::filesystem::path> applicationURLs(const std::string& bundleIdentifier) const override;
    void recycle(const std::vector<std::filesystem::path>& items) override;
    bool open(const std::string& target) override;

private:
    void recycleOne(const std::filesystem::path& item);

    FileManager& fileManager_;
    std::vector<std::filesystem::path> applicationFolders_;
    std::filesystem::path trashFolder_;
    const Clock& clock_;
    std::filesystem::path openTool_;
};

} // namespace quillstone
