#include "helpers/open/Opener.h"
#include "helpers/open/UserScopeLauncher.h"
#include "platform/DetachedProcess.h"
#include "platform/ChildProcess.h"

#include <cstdlib>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

int runAndWait(const std::filesystem::path& program, const std::vector<std::string>& arguments) {
    quillstone::ChildProcess child(program, arguments);
    child.launch();
    child.waitUntilExit();
    if (child.terminationReason() != quillstone::ChildProcess::TerminationReason::exit) {
        return 128 + child.terminationStatus();
    }
    return child.terminationStatus();
}

std::optional<std::filesystem::path> findProgram(const std::string& name) {
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        // An empty or relative entry would mean the working folder: never run a program from there.
        auto candidate = std::filesystem::path(folder) / name;
        if (candidate.is_absolute() && ::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    std::error_code error;
    auto self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error || !self.is_absolute()) {
        std::cerr << "open: cannot find its own folder: " << error.message() << '\n';
        return quillstone::Opener::failureStatus;
    }
    auto helpers = self.parent_path();
    std::vector<std::string> environment;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        environment.emplace_back(*entry);
    }
    quillstone::UserScopeLauncher launcher(
        [&environment] { return quillstone::UserScopeLauncher::findSystemdRun(environment); },
        quillstone::launchDetached);
    quillstone::Opener opener(launcher, runAndWait, findProgram, helpers, std::cerr);
    return opener.run(std::vector<std::string>(argv + 1, argv + argc));
}
