#include "platform/SystemTools.h"

namespace quillstone {

SystemTools SystemTools::macOS() {
    return SystemTools{"/bin/launchctl", "/usr/bin/shortcuts", "/usr/bin/open", "/usr/bin/osascript"};
}

SystemTools SystemTools::forBundle(const Bundle& bundle) {
    return SystemTools{bundle.helper("launchctl"), bundle.helper("shortcuts"), bundle.helper("open"),
                       bundle.helper("osascript")};
}

SystemTools SystemTools::current() {
#ifdef __APPLE__
    return macOS();
#else
    return forBundle(Bundle::main());
#endif
}

} // namespace quillstone
