#pragma once

#include "setup/app/ApplicationControl.h"

namespace quillstone {

// The headless program: nothing to activate, and errors go to standard error,
// which the agent's log keeps.
class ConsoleApplicationControl : public ApplicationControl {
public:
    void setAccessoryActivationPolicy() override {}
    void activateIgnoringOtherApps() override {}
    void presentError(const std::string& description) override;
};

} // namespace quillstone
