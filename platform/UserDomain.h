#pragma once

#include <filesystem>
#include <optional>
#include <vector>

namespace quillstone {

// Where the current user's files live. A plain value so tests can point
// every store at a temporary home.
struct UserDomain {
    std::filesystem::path home;
    std::vector<std::filesystem::path> applicationSupportDirectories;
    std::filesystem::path temporaryDirectory;

    // $HOME (else the passwd entry); $XDG_DATA_HOME or ~/.local/share; $TMPDIR
    // when it is an absolute path to an existing folder, else /tmp.
    static UserDomain fromEnvironment();
    // A domain rooted at one folder, laid out as on a real system.
    static UserDomain rootedAt(const std::filesystem::path& home);
};

} // namespace quillstone
