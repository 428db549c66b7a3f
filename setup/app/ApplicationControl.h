#pragma once

#include <string>

namespace quillstone {

// What the delegate asks of the application object itself.
class ApplicationControl {
public:
    virtual ~ApplicationControl() = default;
    // No Dock icon and no menu bar of its own.
    virtual void setAccessoryActivationPolicy() = 0;
    virtual void activateIgnoringOtherApps() = 0;
    // The application's standard error alert.
    virtual void presentError(const std::string& description) = 0;
};

} // namespace quillstone
