#include "setup/app/HeadlessSetupApp.h"
#include "setup/app/LaunchMode.h"

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
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !self.is_absolute()) {
        std::cerr << "Quillstone could not find its own program file: " << error.message() << std::endl;
        std::exit(1);
    }
    const std::filesystem::path wizard = self.parent_path() / "quillstone-setup-wizard";
    ::execv(wizard.c_str(), argv);
    std::cerr << "Quillstone could not start its setup window \"" << wizard.string() << "\": " << std::strerror(errno)
              << std::endl;
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillstone;
    setProcessArguments(argc, argv);
    if (!isMonitorMode(processArguments())) {
        becomeWizard(argv);
    }
    try {
        HeadlessSetupApp app;
        return app.run();
    } catch (const std::exception& error) {
        std::cerr << "Quillstone could not start its monitor: " << error.what() << std::endl;
        return 1;
    }
}
