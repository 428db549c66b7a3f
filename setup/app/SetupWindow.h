#pragma once

namespace quillstone {

// The wizard's window, as the application delegate handles it.
class SetupWindow {
public:
    virtual ~SetupWindow() = default;
    virtual void deminiaturize() = 0;
    virtual void makeKeyAndOrderFront() = 0;
    // Tears the wizard's view out of the window while the application ends.
    virtual void detachContentView() = 0;
};

} // namespace quillstone
