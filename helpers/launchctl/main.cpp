#include "helpers/launchctl/Launchctl.h"
#include "helpers/launchctl/ServiceManagerChoice.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <unistd.h>

extern char** environ;

namespace {

const char* const execFailedText = "launchctl: could not run ";

int replaceProcess(const std::string& executable, const std::vector<std::string>& arguments) {
    std::vector<std::string> argv{executable};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<char*> pointers;
    for (auto& argument : argv) {
        pointers.push_back(argument.data());
    }
    pointers.push_back(nullptr);
    std::cout.flush();
    ::execvp(executable.c_str(), pointers.data());
    int error = errno;
    std::cerr << execFailedText << executable << ": " << std::strerror(error) << '\n';
    return error == ENOENT ? 127 : 126;
}

} // namespace

int main(int argc, char** argv) {
    using namespace quillstone;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    ServiceManagerChoice choice(PosixFileManager::shared(), environ);
    Launchctl launchctl([&]() -> ServiceManager& { return choice.manager(); }, PosixFileManager::shared(),
                        HelperToolMap::forRunningExecutable(), replaceProcess, static_cast<unsigned>(::getuid()),
                        std::cout, std::cerr);
    return launchctl.run(arguments);
}
