#pragma once

#include "platform/Bundle.h"
#include "platform/FileManager.h"
#include "platform/Workspace.h"
#include "setup/service/QuillstoneProcessRegistry.h"
#include "setup/wizard/QuillstoneShortcutBridge.h"

#include <filesystem>
#include <optional>

namespace quillstone {

// The Shortcut through the shortcuts tool and the Shortcut file among the bundle's resources.
class QuillstoneBundledShortcutBridge : public QuillstoneShortcutBridge {
public:
    static constexpr const char* listArgument = "list";
    static constexpr const char* resourceName = "Quillstone SuperDuper Details.shortcut";
    static constexpr const char* resourceSubdirectory = "Resources";

    QuillstoneBundledShortcutBridge(QuillstoneProcessRegistry& registry, std::filesystem::path shortcutsTool,
                                    Bundle bundle, const FileManager& fileManager, Workspace& workspace);

    bool isShortcutInstalled() override;
    void openShortcutInstaller() override;

    std::optional<std::filesystem::path> bundledShortcutURL() const;

private:
    QuillstoneProcessRegistry& registry_;
    std::filesystem::path shortcutsTool_;
    Bundle bundle_;
    const FileManager& fileManager_;
    Workspace& workspace_;
};

} // namespace quillstone
