#pragma once

#include "helpers/shortcuts/ShortcutLibrary.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace quillstone {

// The command line of the shortcuts stand-in: list, run, install.
class ShortcutsCommand {
public:
    static constexpr const char* usage =
        "usage: shortcuts list\n"
        "       shortcuts run NAME [--input-path FILE] [--output-path FILE] [--output-type TYPE]\n"
        "       shortcuts install FILE.shortcut\n";
    static constexpr const char* notFoundPrefix = "Error: There is no shortcut named ";
    static constexpr const char* runFailedPrefix = "Error: The shortcut could not be started: ";
    static constexpr const char* installFailedPrefix = "Error: The shortcut could not be installed: ";

    // Replaces the process with the shortcut's executable; returns only on failure (errno set).
    using Exec = std::function<void(const std::filesystem::path&, const std::vector<std::string>&)>;

    ShortcutsCommand(ShortcutLibrary& library, Exec exec, std::ostream& out, std::ostream& err);

    // The exit status of the command (the run's own when "run" gets that far).
    int run(const std::vector<std::string>& arguments);

    // execv with the path as argv[0].
    static void execute(const std::filesystem::path& executable, const std::vector<std::string>& arguments);

private:
    int list();
    int runShortcut(const std::vector<std::string>& arguments);
    int install(const std::vector<std::string>& arguments);
    int usageError();

    ShortcutLibrary& library_;
    Exec exec_;
    std::ostream& out_;
    std::ostream& err_;
};

} // namespace quillstone
