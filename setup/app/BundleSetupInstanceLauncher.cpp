#include "setup/app/BundleSetupInstanceLauncher.h"

#include "platform/ChildProcess.h"

#include <stdexcept>

namespace quillstone {

namespace {
constexpr std::size_t keptErrorBytes = 4096;
} // namespace

BundleSetupInstanceLauncher::BundleSetupInstanceLauncher(Bundle bundle)
    : BundleSetupInstanceLauncher(bundle, SystemTools::forBundle(SystemTools::outermostBundle(bundle))) {}

BundleSetupInstanceLauncher::BundleSetupInstanceLauncher(Bundle bundle, SystemTools tools)
    : bundle_(std::move(bundle)), tools_(std::move(tools)) {}

void BundleSetupInstanceLauncher::openNewInstance() {
    // Never a path relative to wherever we happen to run.
    if (!bundle_.path().is_absolute() || !tools_.open.is_absolute()) {
        throw std::runtime_error(noBundleText);
    }
    ChildProcess open(tools_.open, {"-n", bundle_.path().string()});
    open.setStandardInput(ChildProcess::Stream::null);
    open.setStandardOutput(ChildProcess::Stream::null);
    open.setStandardError(ChildProcess::Stream::pipe);
    open.launch();
    std::string errors = open.readStandardErrorToEnd(keptErrorBytes);
    open.waitUntilExit();
    if (open.terminationReason() != ChildProcess::TerminationReason::exit || open.terminationStatus() != 0) {
        while (!errors.empty() && (errors.back() == '\n' || errors.back() == '\r')) {
            errors.pop_back();
        }
        throw std::runtime_error(errors.empty() ? openFailedText : errors);
    }
}

} // namespace quillstone
