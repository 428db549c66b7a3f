#include "platform/Bundle.h"

#include "platform/Plist.h"

#include <fstream>
#include <sstream>

namespace quillstone {

namespace fs = std::filesystem;

Bundle::Bundle(fs::path bundlePath) : path_(std::move(bundlePath)) {}

Bundle Bundle::main() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    if (auto bundle = containingExecutable(executable)) {
        return *bundle;
    }
    // Outside a bundle (a bare build tree): the executable's folder stands in.
    return Bundle(executable.parent_path());
}

std::optional<Bundle> Bundle::containingExecutable(const fs::path& executable) {
    fs::path macos = executable.parent_path();
    fs::path contents = macos.parent_path();
    if (macos.filename() != "MacOS" || contents.filename() != "Contents") {
        return std::nullopt;
    }
    return Bundle(contents.parent_path());
}

fs::path Bundle::executable() const {
    auto name = infoString("CFBundleExecutable");
    return contents() / "MacOS" / (name ? *name : path_.stem().string());
}

std::optional<std::string> Bundle::infoString(const std::string& key) const {
    std::ifstream stream(infoPlistPath(), std::ios::binary);
    if (!stream) {
        return std::nullopt;
    }
    std::stringstream bytes;
    bytes << stream.rdbuf();
    auto plist = Plist::parse(bytes.str());
    if (!plist) {
        return std::nullopt;
    }
    return plist->string(key);
}

} // namespace quillstone
