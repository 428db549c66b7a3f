#include "platform/XdgAutostartLoginItemService.h"

#include "platform/LoginItemError.h"

#include <cstdlib>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

// String values of desktop entries escape these after Exec quoting.
std::string escapeStringValue(const std::string& text) {
    std::string escaped;
    for (char character : text) {
        switch (character) {
        case '\\': escaped += "\\\\"; break;
        case '\n': escaped += "\\n"; break;
        case '\t': escaped += "\\t"; break;
        case '\r': escaped += "\\r"; break;
        default: escaped += character;
        }
    }
    return escaped;
}

} // namespace

XdgAutostartLoginItemService::XdgAutostartLoginItemService(FileManager& fileManager, Bundle mainBundle,
                                                           fs::path autostartFolder,
                                                           RunningApplications& runningApplications,
                                                           Launcher launcher)
    : fileManager_(fileManager),
      mainBundle_(std::move(mainBundle)),
      autostartFolder_(std::move(autostartFolder)),
      runningApplications_(runningApplications),
      launcher_(std::move(launcher)) {}

fs::path XdgAutostartLoginItemService::defaultFolder(const UserDomain& domain) {
    const char* configHome = std::getenv("XDG_CONFIG_HOME");
    if (configHome != nullptr && fs::path(configHome).is_absolute()) {
        return fs::path(configHome) / "autostart";
    }
    return domain.home / ".config" / "autostart";
}

std::string XdgAutostartLoginItemService::quotedExecArgument(const std::string& argument) {
    std::string quoted = "\"";
    for (char character : argument) {
        if (character == '"' || character == '`' || character == '$' || character == '\\') {
            quoted += '\\';
        }
        // A lone % would start a field code.
        if (character == '%') {
            quoted += '%';
        }
        quoted += character;
    }
    quoted += '"';
    return escapeStringValue(quoted);
}

std::string XdgAutostartLoginItemService::desktopEntry(const std::string& name, const fs::path& executable) {
    return "[Desktop Entry]\n"
           "Type=Application\n"
           "Name=" + escapeStringValue(name) + "\n"
           "Exec=" + quotedExecArgument(executable.string()) + "\n"
           "NoDisplay=true\n"
           "X-GNOME-Autostart-enabled=true\n";
}

fs::path XdgAutostartLoginItemService::entryFile(const std::string& identifier) const {
    return autostartFolder_ / (identifier + ".desktop");
}

std::optional<Bundle> XdgAutostartLoginItemService::embeddedBundle(const std::string& identifier) const {
    std::error_code error;
    fs::directory_iterator entries(mainBundle_.contents() / "Library" / "LoginItems", error);
    for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
        Bundle candidate(entries->path());
        if (candidate.identifier() == identifier && fileManager_.fileExists(candidate.executable())) {
            return candidate;
        }
    }
    return std::nullopt;
}

LoginItemStatus XdgAutostartLoginItemService::status(const std::string& identifier) {
    return fileManager_.fileExists(entryFile(identifier)) ? LoginItemStatus::enabled
                                                          : LoginItemStatus::notRegistered;
}

void XdgAutostartLoginItemService::registerItem(const std::string& identifier) {
    auto helper = embeddedBundle(identifier);
    if (!helper) {
        throw LoginItemError(LoginItemError::Code::notFound);
    }
    fs::path executable = helper->executable();
    std::string name = helper->infoString("CFBundleName").value_or(helper->path().stem().string());
    fileManager_.createDirectories(autostartFolder_);
    fileManager_.replaceAtomically(entryFile(identifier), desktopEntry(name, executable), 0644);
    if (!runningApplications_.withBundleIdentifier(identifier).empty()) {
        return;
    }
    try {
        launcher_(executable, {});
    } catch (const std::exception&) {
        // Registered all the same; a helper that does not start shows up to
        // whoever waits for it, as on macOS.
    }
}

void XdgAutostartLoginItemService::unregisterItem(const std::string& identifier) {
    fileManager_.removeFile(entryFile(identifier));
}

} // namespace quillstone
