#pragma once

#include <string>
#include <vector>

namespace quillstone {

// The one command-line argument the setup program knows.
constexpr const char* monitorModeArgument = "--quillstone-sd4-monitor";

// True when any argument, the program path included, is exactly the monitor flag.
bool isMonitorMode(const std::vector<std::string>& arguments);

// This process's own argument list as the kernel holds it (/proc/self/cmdline),
// read afresh on every call.
std::vector<std::string> processArguments();

} // namespace quillstone
