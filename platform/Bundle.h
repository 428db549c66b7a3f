#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace quillstone {

// An application bundle tree: X.app/Contents/{Info.plist,MacOS,Helpers,Resources}.
class Bundle {
public:
    explicit Bundle(std::filesystem::path bundlePath);

    // The bundle whose Contents/MacOS holds the running executable.
    static Bundle main();
    // The bundle that holds an executable at <bundle>/Contents/MacOS/<name>.
    static std::optional<Bundle> containingExecutable(const std::filesystem::path& executable);

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path contents() const { return path_ / "Contents"; }
    std::filesystem::path infoPlistPath() const { return contents() / "Info.plist"; }
    std::filesystem::path helper(const std::string& name) const { return contents() / "Helpers" / name; }
    std::filesystem::path resource(const std::string& name) const { return contents() / "Resources" / name; }
    std::filesystem::path executable() const;

    // Info.plist values; nullopt when the file or key is missing.
    std::optional<std::string> infoString(const std::string& key) const;
    std::optional<std::string> identifier() const { return infoString("CFBundleIdentifier"); }
    std::optional<std::string> shortVersion() const { return infoString("CFBundleShortVersionString"); }
    std::optional<std::string> bundleVersion() const { return infoString("CFBundleVersion"); }

private:
    std::filesystem::path path_;
};

} // namespace quillstone
