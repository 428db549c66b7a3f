#pragma once

#include "platform/Bundle.h"
#include "platform/SystemTools.h"
#include "setup/app/SetupInstanceLauncher.h"

namespace quillstone {

// Asks the system's opener for a new instance of the bundle (`open -n`), as
// the workspace does on a Mac: the wizard becomes an application of its own
// (own session, and its own scope where a user service manager runs), never a
// child of the process that asked, so stopping that one never ends it.
class BundleSetupInstanceLauncher : public SetupInstanceLauncher {
public:
    static constexpr const char* noBundleText = "Quillstone could not find its own application bundle.";
    static constexpr const char* openFailedText = "Quillstone Setup could not be opened.";

    explicit BundleSetupInstanceLauncher(Bundle bundle = Bundle::main());
    BundleSetupInstanceLauncher(Bundle bundle, SystemTools tools);
    void openNewInstance() override;

private:
    Bundle bundle_;
    SystemTools tools_;
};

} // namespace quillstone
