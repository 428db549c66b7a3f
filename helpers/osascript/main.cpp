#include "helpers/osascript/AdministratorCommand.h"
#include "helpers/osascript/OsascriptError.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <unistd.h>

namespace {

// A pkexec named in QUILLSTONE_PKEXEC (tests) is used even by root.
bool pkexecChosen() {
    const char* chosen = std::getenv("QUILLSTONE_PKEXEC");
    return chosen != nullptr && *chosen != '\0';
}

// QUILLSTONE_PKEXEC (tests), else pkexec along PATH.
std::optional<std::string> findPkexec() {
    if (const char* chosen = std::getenv("QUILLSTONE_PKEXEC"); chosen != nullptr && *chosen != '\0') {
        return ::access(chosen, X_OK) == 0 ? std::optional<std::string>(chosen) : std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::istringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        std::string candidate = (folder.empty() ? "." : folder) + "/pkexec";
        if (::access(candidate.c_str(), X_OK) == 0) {
            return candidate;
        }
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillstone;
    std::vector<std::string> invocation;
    try {
        invocation = AdministratorCommand::invocation(std::vector<std::string>(argv + 1, argv + argc), findPkexec(),
                                                      ::geteuid() == 0 && !pkexecChosen());
    } catch (const OsascriptError& error) {
        std::cerr << error.what() << '\n';
        return OsascriptError::status;
    }
    std::vector<char*> pointers;
    for (auto& argument : invocation) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    ::execv(pointers[0], pointers.data());
    std::cerr << "osascript: could not run " << invocation[0] << ": " << std::strerror(errno) << '\n';
    return OsascriptError::status;
}
