#pragma once

#include "platform/AdministratorScript.h"
#include "platform/Plist.h"
#include "platform/Workspace.h"
#include "support/FakeRunningApplications.h"
#include "support/TemporaryFolder.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

namespace quillstone::testing {

// A minimal application bundle: Contents/Info.plist with the given values and any extra string keys.
inline std::filesystem::path
writeApplicationBundle(const std::filesystem::path& bundle, const std::string& identifier,
                       std::optional<std::string> version, std::optional<std::string> build,
                       const std::vector<std::pair<std::string, std::string>>& extra = {}) {
    auto plist = Plist::dictionary();
    plist.setString("CFBundleIdentifier", identifier);
    for (const auto& [key, value] : extra) {
        plist.setString(key, value);
    }
    if (version) {
        plist.setString("CFBundleShortVersionString", *version);
    }
    if (build) {
        plist.setString("CFBundleVersion", *build);
    }
    writeText(bundle / "Contents" / "Info.plist", plist.toXml());
    return bundle;
}

// Records every script and answers with what the test chose.
class RecordingAdministratorScript : public AdministratorScript {
public:
    void run(const std::string& appleScriptSource) override {
        sources.push_back(appleScriptSource);
        if (onRun) {
            onRun(appleScriptSource);
        }
    }
    std::vector<std::string> sources;
    std::function<void(const std::string&)> onRun;
};

class ScriptedWorkspace : public Workspace {
public:
    std::vector<std::filesystem::path> applicationURLs(const std::string& bundleIdentifier) const override {
        queriedIdentifiers.push_back(bundleIdentifier);
        return applications;
    }
    void recycle(const std::vector<std::filesystem::path>& items) override {
        recycled.insert(recycled.end(), items.begin(), items.end());
        if (onRecycle) {
            onRecycle(items);
        }
    }
    bool open(const std::string& target) override {
        opened.push_back(target);
        return opens;
    }
    std::vector<std::filesystem::path> applications;
    mutable std::vector<std::string> queriedIdentifiers;
    std::vector<std::string> opened;
    bool opens = true;
    std::vector<std::filesystem::path> recycled;
    std::function<void(const std::vector<std::filesystem::path>&)> onRecycle;
};

// The running-applications fake under the name the benchmarks use.
using ListedRunningApplications = FakeRunningApplications;

} // namespace quillstone::testing
