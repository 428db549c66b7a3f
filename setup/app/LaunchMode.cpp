#include "setup/app/LaunchMode.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace quillstone {

bool isMonitorMode(const std::vector<std::string>& arguments) {
    return std::find(arguments.begin(), arguments.end(), monitorModeArgument) != arguments.end();
}

std::vector<std::string> processArguments() {
    std::ifstream stream("/proc/self/cmdline", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    std::vector<std::string> arguments;
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find('\0', start);
        if (end == std::string::npos) {
            end = bytes.size();
        }
        arguments.push_back(bytes.substr(start, end - start));
        start = end + 1;
    }
    return arguments;
}

} // namespace quillstone
