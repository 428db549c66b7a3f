#include "helpers/shortcuts/ShortcutLibrary.h"

#include <algorithm>
#include <stdexcept>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;

ShortcutLibrary::ShortcutLibrary(FileManager& fileManager, fs::path folder)
    : fileManager_(fileManager), folder_(std::move(folder)) {}

fs::path ShortcutLibrary::folderFor(const UserDomain& domain) {
    fs::path base = domain.applicationSupportDirectories.empty() ? domain.home / ".local" / "share"
                                                                 : domain.applicationSupportDirectories.front();
    return base / folderName;
}

bool ShortcutLibrary::isValidName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::vector<std::string> ShortcutLibrary::names() const {
    std::vector<std::string> names;
    std::error_code error;
    for (fs::directory_iterator it(folder_, error), end; !error && it != end; it.increment(error)) {
        std::string name = it->path().filename().string();
        // Skip the atomic writer's temporary files and anything not runnable.
        if (name.front() != '.' && it->is_regular_file() && ::access(it->path().c_str(), X_OK) == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<fs::path> ShortcutLibrary::executable(const std::string& name) const {
    if (!isValidName(name)) {
        return std::nullopt;
    }
    fs::path path = folder_ / name;
    std::error_code error;
    if (!fs::is_regular_file(path, error) || ::access(path.c_str(), X_OK) != 0) {
        return std::nullopt;
    }
    return path;
}

std::string ShortcutLibrary::install(const fs::path& file) {
    std::string name = file.stem().string();
    if (!isValidName(name) || name.front() == '.') {
        throw std::invalid_argument(invalidNameDescription + file.filename().string());
    }
    std::string bytes = fileManager_.readFile(file);
    fileManager_.createDirectories(folder_);
    fileManager_.replaceAtomically(folder_ / name, bytes, 0755);
    return name;
}

} // namespace quillstone
