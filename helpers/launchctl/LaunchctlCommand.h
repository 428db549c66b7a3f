#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillstone {

// One launchctl invocation, parsed from its macOS argument list.
struct LaunchctlCommand {
    enum class Verb { bootstrap, bootout, enable, print, kickstart, asuser };

    Verb verb = Verb::print;
    unsigned uid = 0;
    // The service label; empty when the command names a property list instead.
    std::string label;
    std::filesystem::path plistPath;
    // kickstart -k: stop a running instance first.
    bool killFirst = false;
    // asuser: the command and its arguments.
    std::vector<std::string> command;

    // Throws LaunchctlError with the usage status for anything malformed.
    static LaunchctlCommand parse(const std::vector<std::string>& arguments);
};

} // namespace quillstone
