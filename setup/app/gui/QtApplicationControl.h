#pragma once

#include "setup/app/ApplicationControl.h"

namespace quillstone {

// The running Qt application. Without a display (monitor mode) errors go to
// standard error, which the agent's log keeps.
class QtApplicationControl : public ApplicationControl {
public:
    static constexpr const char* errorAlertTitle = "Quillstone";

    void setAccessoryActivationPolicy() override;
    void activateIgnoringOtherApps() override;
    void presentError(const std::string& description) override;
};

} // namespace quillstone
