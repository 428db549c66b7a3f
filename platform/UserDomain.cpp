#include "platform/UserDomain.h"

#include <cstdlib>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillstone {

namespace {
std::optional<std::filesystem::path> nonEmptyEnvironment(const char* name) {
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::filesystem::path(value);
}

// As the C library's own temporary files do: TMPDIR only when it names a
// folder that exists, else /tmp. A stale TMPDIR must not stop a program.
std::filesystem::path temporaryFolder() {
    const char* value = std::getenv("TMPDIR");
    struct stat folder {};
    if (value != nullptr && *value == '/' && ::stat(value, &folder) == 0 && S_ISDIR(folder.st_mode)) {
        return value;
    }
    return "/tmp";
}

std::filesystem::path passwdHome() {
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/";
}
} // namespace

UserDomain UserDomain::fromEnvironment() {
    UserDomain domain;
    domain.home = nonEmptyEnvironment("HOME").value_or(passwdHome());
    domain.applicationSupportDirectories.push_back(
        nonEmptyEnvironment("XDG_DATA_HOME").value_or(domain.home / ".local" / "share"));
    domain.temporaryDirectory = temporaryFolder();
    return domain;
}

UserDomain UserDomain::rootedAt(const std::filesystem::path& home) {
    UserDomain domain;
    domain.home = home;
    domain.applicationSupportDirectories.push_back(home / ".local" / "share");
    domain.temporaryDirectory = home / "tmp";
    return domain;
}

} // namespace quillstone
