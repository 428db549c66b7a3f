#pragma once

#include "support/TemporaryFolder.h"

#include <filesystem>
#include <string>
#include <utility>

namespace quillstone::testing {

// Stand-ins for chown and chmod that log their name and each argument in
// brackets, then run the real tool. The recording-osascript fixture points an
// administrator command at them through QUILLSTONE_RECORDERS.
inline void writeToolRecorders(const std::filesystem::path& folder, const std::filesystem::path& log) {
    namespace fs = std::filesystem;
    for (auto [name, real] : {std::pair{"chown", fs::exists("/usr/sbin/chown") ? "/usr/sbin/chown" : "/bin/chown"},
                              std::pair{"chmod", "/bin/chmod"}}) {
        writeText(folder / name, std::string("#!/bin/sh\n{ echo ") + name +
                                     "; for a in \"$@\"; do printf '[%s]\\n' \"$a\"; done; } >> '" + log.string() +
                                     "'\nexec " + real + " \"$@\"\n");
        fs::permissions(folder / name, fs::perms::owner_all);
    }
}

} // namespace quillstone::testing
