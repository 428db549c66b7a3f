#include "setup/app/LaunchMode.h"

#include <algorithm>

namespace quillstone {

namespace {
std::vector<std::string>& ownArguments() {
    static std::vector<std::string> arguments;
    return arguments;
}
} // namespace

bool isMonitorMode(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), monitorModeArgument) != arguments.end();
}

void setProcessArguments(int argc, const char* const* argv) {
    std::vector<std::string> arguments;
    for (int index = 0; index < argc && argv[index] != nullptr; ++index) {
        arguments.emplace_back(argv[index]);
    }
    ownArguments() = std::move(arguments);
}

std::vector<std::string> processArguments() { return ownArguments(); }

} // namespace quillstone
