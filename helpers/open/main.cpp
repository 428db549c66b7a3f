#include "helpers/open/Opener.h"
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
        auto candidate = std::filesystem::path(folder.empty() ? "." : folder) / name;
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    std::error_code error;
    auto helpers = std::filesystem::read_symlink("/proc/self/exe", error).parent_path();
    quillstone::DetachedLauncher launcher;
    quillstone::Opener opener(launcher, runAndWait, findProgram, helpers, std::cerr);
    return opener.run(std::vector<std::string>(argv + 1, argv + argc));
}
