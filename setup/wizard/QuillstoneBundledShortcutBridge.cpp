#include "setup/wizard/QuillstoneBundledShortcutBridge.h"

#include "platform/ChildProcess.h"
#include "setup/wizard/QuillstoneShortcutBridgeError.h"
#include "setup/wizard/QuillstoneShortcutList.h"

#include <exception>

namespace quillstone {

namespace fs = std::filesystem;

QuillstoneBundledShortcutBridge::QuillstoneBundledShortcutBridge(QuillstoneProcessRegistry& registry,
                                                                 fs::path shortcutsTool, Bundle bundle,
                                                                 const FileManager& fileManager, Workspace& workspace)
    : registry_(registry),
      shortcutsTool_(std::move(shortcutsTool)),
      bundle_(std::move(bundle)),
      fileManager_(fileManager),
      workspace_(workspace) {}

bool QuillstoneBundledShortcutBridge::isShortcutInstalled() {
    ChildProcess task(shortcutsTool_, {listArgument});
    QuillstoneProcessRegistry::CapturedOutput output;
    try {
        output = registry_.runCapturingOutput(task);
    } catch (const std::exception&) {
        return false;
    }
    if (task.terminationReason() != ChildProcess::TerminationReason::exit || task.terminationStatus() != 0) {
        return false;
    }
    return QuillstoneShortcutList::contains(output.standardOutput, shortcutName);
}

std::optional<fs::path> QuillstoneBundledShortcutBridge::bundledShortcutURL() const {
    for (const fs::path& candidate : {bundle_.resource(resourceName),
                                      bundle_.resource(resourceSubdirectory) / resourceName}) {
        if (fileManager_.fileExists(candidate)) {
            return candidate;
        }
    }
    return std::nullopt;
}

void QuillstoneBundledShortcutBridge::openShortcutInstaller() {
    auto shortcut = bundledShortcutURL();
    if (!shortcut) {
        throw QuillstoneShortcutBridgeError(QuillstoneShortcutBridgeError::Code::missingBundledShortcut);
    }
    if (!workspace_.open(shortcut->string())) {
        throw QuillstoneShortcutBridgeError(QuillstoneShortcutBridgeError::Code::couldNotOpenShortcut);
    }
}

} // namespace quillstone
