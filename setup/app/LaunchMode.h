#pragma once

#include <string>
#include <vector>

namespace quillstone {

// The one command-line argument the setup program knows.
constexpr const char* monitorModeArgument = "--quillstone-sd4-monitor";

// True when any argument, the program path included, is exactly the monitor flag.
bool isMonitorMode(const std::vector<std::string>& arguments);

// Keeps main's argument list (argv[0] included) as this process's own; call
// first thing in main, before any toolkit edits argv.
void setProcessArguments(int argc, const char* const* argv);
// The list main was given; empty until setProcessArguments.
std::vector<std::string> processArguments();

} // namespace quillstone
