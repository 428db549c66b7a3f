#pragma once

#include "support/TemporaryFolder.h"

#include <filesystem>
#include <string>

namespace quillstone::testing {

inline std::string bundleInfoPlist(const std::string& identifier, const std::string& executable,
                                   const std::string& version, const std::string& build) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><dict>"
           "<key>CFBundleIdentifier</key><string>" + identifier + "</string>"
           "<key>CFBundleExecutable</key><string>" + executable + "</string>"
           "<key>CFBundleShortVersionString</key><string>" + version + "</string>"
           "<key>CFBundleVersion</key><string>" + build + "</string>"
           "</dict></plist>\n";
}

inline std::filesystem::path statusBundleOf(const std::filesystem::path& setupBundle) {
    return setupBundle / "Contents/Library/LoginItems/Quillstone Status.app";
}

// A Quillstone.app tree: a placeholder setup executable and an embedded
// status app whose executable is the given program.
inline void makeSetupBundle(const std::filesystem::path& bundle, const std::filesystem::path& statusProgram) {
    namespace fs = std::filesystem;
    writeText(bundle / "Contents/Info.plist",
              bundleInfoPlist("com.quillstone.Quillstone-Setup", "quillstone-setup", "2.3", "40"));
    writeText(bundle / "Contents/MacOS/quillstone-setup", "#!/bin/sh\n");
    fs::path status = statusBundleOf(bundle);
    writeText(status / "Contents/Info.plist",
              bundleInfoPlist("com.quillstone.Quillstone-Setup.Status", "quillstone-status", "2.3", "40"));
    fs::create_directories(status / "Contents/MacOS");
    fs::copy_file(statusProgram, status / "Contents/MacOS/quillstone-status");
}

} // namespace quillstone::testing
