#pragma once

#include "platform/Bundle.h"

#include <filesystem>

namespace quillstone {

// Where the command-line tools the system calls live. On macOS these are the
// system's own; on Linux the bundle's stand-ins that take the same arguments.
struct SystemTools {
    std::filesystem::path launchctl;
    std::filesystem::path shortcuts;
    std::filesystem::path open;
    std::filesystem::path osascript;

    static SystemTools macOS();
    static SystemTools forBundle(const Bundle& bundle);
    // The bundle whose helpers a nested bundle uses: the outermost .app that holds
    // it below its Contents (the status app inside the setup app), else itself.
    static Bundle outermostBundle(const Bundle& bundle);
    // The tools of the running platform for the running bundle (its outermost one).
    static SystemTools current();
};

} // namespace quillstone
