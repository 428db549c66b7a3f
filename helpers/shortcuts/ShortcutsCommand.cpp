#include "helpers/shortcuts/ShortcutsCommand.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace quillstone {

ShortcutsCommand::ShortcutsCommand(ShortcutLibrary& library, Exec exec, std::ostream& out, std::ostream& err)
    : library_(library), exec_(std::move(exec)), out_(out), err_(err) {}

int ShortcutsCommand::run(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return usageError();
    }
    const std::string& command = arguments.front();
    std::vector<std::string> rest(arguments.begin() + 1, arguments.end());
    if (command == "list" && rest.empty()) {
        return list();
    }
    if (command == "run") {
        return runShortcut(rest);
    }
    if (command == "install") {
        return install(rest);
    }
    return usageError();
}

int ShortcutsCommand::usageError() {
    err_ << usage;
    return 64;
}

int ShortcutsCommand::list() {
    for (const auto& name : library_.names()) {
        out_ << name << '\n';
    }
    out_.flush();
    return 0;
}

int ShortcutsCommand::runShortcut(const std::vector<std::string>& arguments) {
    if (arguments.empty()) {
        return usageError();
    }
    std::string inputPath;
    std::string outputPath;
    for (size_t index = 1; index < arguments.size(); index += 2) {
        const std::string& option = arguments[index];
        if (index + 1 >= arguments.size() ||
            (option != "--input-path" && option != "--output-path" && option != "--output-type")) {
            return usageError();
        }
        // The answer is always written as the shortcut writes it; the type is accepted for compatibility.
        if (option == "--input-path") {
            inputPath = arguments[index + 1];
        } else if (option == "--output-path") {
            outputPath = arguments[index + 1];
        }
    }
    const std::string& name = arguments.front();
    auto executable = library_.executable(name);
    if (!executable) {
        err_ << notFoundPrefix << '"' << name << "\" in " << library_.folder().string() << ".\n";
        return 1;
    }
    std::vector<std::string> passed;
    if (!inputPath.empty()) {
        passed.insert(passed.end(), {"--input-path", inputPath});
    }
    if (!outputPath.empty()) {
        passed.insert(passed.end(), {"--output-path", outputPath});
    }
    out_.flush();
    err_.flush();
    exec_(*executable, passed);
    err_ << runFailedPrefix << std::strerror(errno) << '\n';
    return 1;
}

int ShortcutsCommand::install(const std::vector<std::string>& arguments) {
    if (arguments.size() != 1) {
        return usageError();
    }
    try {
        library_.install(arguments.front());
    } catch (const std::exception& error) {
        err_ << installFailedPrefix << error.what() << '\n';
        return 1;
    }
    return 0;
}

void ShortcutsCommand::execute(const std::filesystem::path& executable, const std::vector<std::string>& arguments) {
    std::vector<std::string> owned;
    owned.push_back(executable.string());
    owned.insert(owned.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (auto& argument : owned) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);
    ::execv(owned.front().c_str(), argv.data());
}

} // namespace quillstone
