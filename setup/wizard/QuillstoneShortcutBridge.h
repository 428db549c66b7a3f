#pragma once

namespace quillstone {

// The Apple Shortcut the monitor runs: whether it is installed, and handing
// the bundled copy to the system so that the user can add it.
class QuillstoneShortcutBridge {
public:
    static constexpr const char* shortcutName = "Quillstone SuperDuper Details";

    virtual ~QuillstoneShortcutBridge() = default;
    // Blocks while the shortcuts tool runs; any failure reads as not installed.
    virtual bool isShortcutInstalled() = 0;
    // Throws QuillstoneShortcutBridgeError.
    virtual void openShortcutInstaller() = 0;
};

} // namespace quillstone
