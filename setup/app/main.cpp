#include "setup/app/LaunchMode.h"
#include "setup/app/MainThreadEventPump.h"
#include "setup/app/Quillstone_SetupApp.h"
#include "setup/app/TerminationSignals.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <unistd.h>

namespace {

// The wizard needs GUI libraries the monitor never should load, so this program
// stays headless and, in wizard mode, becomes the full program beside it: the
// same process, arguments and bundle.
[[noreturn]] void becomeWizard(char** argv) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    std::filesystem::path wizard = self.parent_path() / "quillstone-setup-wizard";
    ::execv(wizard.c_str(), argv);
    std::cerr << "Quillstone could not start its setup window \"" << wizard.string() << "\": " << std::strerror(errno)
              << std::endl;
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillstone;
    if (!isMonitorMode(processArguments())) {
        becomeWizard(argv);
    }
    auto application = Quillstone_SetupApp::makeApplication(argc, argv, nullptr);
    TerminationSignals terminationSignals;
    QuillstoneProcessRegistry::shared().setMainThreadEventPump(pumpMainThreadEvents);
    Quillstone_SetupApp setupApp;
    setupApp.launch();
    return application->exec();
}
