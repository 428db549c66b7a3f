#pragma once

namespace quillstone::Compositor {

// Whether windows can be translucent: always on Wayland, on X11 when the
// screen's compositing-manager selection has an owner, never offscreen.
bool isRunning();

} // namespace quillstone::Compositor
