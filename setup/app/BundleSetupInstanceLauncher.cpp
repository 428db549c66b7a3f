#include "setup/app/BundleSetupInstanceLauncher.h"

#include "platform/ChildProcess.h"

#include <memory>
#include <thread>

namespace quillstone {

BundleSetupInstanceLauncher::BundleSetupInstanceLauncher(Bundle bundle) : bundle_(std::move(bundle)) {}

void BundleSetupInstanceLauncher::openNewInstance() {
    auto child = std::make_shared<ChildProcess>(bundle_.executable(), std::vector<std::string>{});
    child->setStandardInput(ChildProcess::Stream::null);
    child->launch();
    // Collect its exit status whenever it ends, so no zombie lingers under a long-lived monitor.
    std::thread([child] { child->waitUntilExit(); }).detach();
}

} // namespace quillstone
