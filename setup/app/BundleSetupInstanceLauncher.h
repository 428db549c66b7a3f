#pragma once

#include "platform/Bundle.h"
#include "setup/app/SetupInstanceLauncher.h"

namespace quillstone {

// Starts the bundle's own executable without arguments, detached: nobody waits
// for the wizard, and it outlives the process that opened it.
class BundleSetupInstanceLauncher : public SetupInstanceLauncher {
public:
    explicit BundleSetupInstanceLauncher(Bundle bundle = Bundle::main());
    void openNewInstance() override;

private:
    Bundle bundle_;
};

} // namespace quillstone
