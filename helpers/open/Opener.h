#pragma once

#include "helpers/open/DetachedLauncher.h"
#include "helpers/open/OpenTarget.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quillstone {

// The `open` stand-in: applications are started detached, Shortcut files go to
// the sibling `shortcuts install`, everything else to the desktop's opener.
class Opener {
public:
    static constexpr int failureStatus = 1;
    static constexpr const char* usageText = "Usage: open [-g] [-n] <file | application | URL>...";
    static constexpr const char* missingFilePrefix = "The file ";
    static constexpr const char* missingFileSuffix = " does not exist.";
    static constexpr const char* launchFailedPrefix = "The application could not be launched: ";
    static constexpr const char* noOpenerPrefix = "No application can open ";
    static constexpr const char* noOpenerSuffix = ": xdg-open is not installed.";
    static constexpr const char* desktopOpener = "xdg-open";

    // Runs a program to its end and returns its exit status; throws when it cannot start.
    using RunAndWait = std::function<int(const std::filesystem::path&, const std::vector<std::string>&)>;
    // A program found along PATH, or nullopt.
    using FindProgram = std::function<std::optional<std::filesystem::path>(const std::string&)>;

    Opener(DetachedLauncher& launcher, RunAndWait runAndWait, FindProgram findProgram,
           std::filesystem::path helpersFolder, std::ostream& errors);

    int run(const std::vector<std::string>& arguments);

private:
    int open(const OpenTarget& target);
    int openApplication(const std::filesystem::path& bundle);
    int runTool(const std::filesystem::path& program, const std::vector<std::string>& arguments);
    int fail(const std::string& message);

    DetachedLauncher& launcher_;
    RunAndWait runAndWait_;
    FindProgram findProgram_;
    std::filesystem::path helpersFolder_;
    std::ostream& errors_;
};

} // namespace quillstone
