#include "platform/SystemTools.h"

namespace quillstone {

SystemTools SystemTools::macOS() {
    return SystemTools{"/bin/launchctl", "/usr/bin/shortcuts", "/usr/bin/open", "/usr/bin/osascript"};
}

SystemTools SystemTools::forBundle(const Bundle& bundle) {
    return SystemTools{bundle.helper("launchctl"), bundle.helper("shortcuts"), bundle.helper("open"),
                       bundle.helper("osascript")};
}

Bundle SystemTools::outermostBundle(const Bundle& bundle) {
    // A.app/Contents/.../B.app is B inside A; stop at the first .app that
    // does not hold the one below it in its Contents.
    std::filesystem::path outer = bundle.path();
    for (auto folder = outer.parent_path(); folder.has_relative_path(); folder = folder.parent_path()) {
        if (folder.extension() != ".app") {
            continue;
        }
        auto inside = outer.lexically_relative(folder);
        if (inside.empty() || *inside.begin() != "Contents") {
            break;
        }
        outer = folder;
    }
    return Bundle(outer);
}

SystemTools SystemTools::current() {
#ifdef __APPLE__
    return macOS();
#else
    return forBundle(outermostBundle(Bundle::main()));
#endif
}

} // namespace quillstone
