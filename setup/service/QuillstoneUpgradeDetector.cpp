#include "setup/service/QuillstoneUpgradeDetector.h"

#include "platform/Plist.h"
#include "setup/service/NumericVersionOrder.h"
#include "setup/service/QuillstoneApplicationPaths.h"

#include <algorithm>
#include <exception>
#include <set>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

std::string versionOf(const Bundle& bundle) {
    return bundle.shortVersion().value_or(QuillstoneUpgradeDetector::unknownVersion);
}

std::string buildOf(const Bundle& bundle) {
    return bundle.bundleVersion().value_or(QuillstoneUpgradeDetector::unknownVersion);
}

} // namespace

QuillstoneUpgradeDetector::QuillstoneUpgradeDetector(FileManager& fileManager, SystemLayout layout,
                                                     RunningApplications& runningApplications,
                                                     const Workspace& workspace,
                                                     const QuillstoneConfigurationStore& configurationStore)
    : fileManager_(fileManager),
      layout_(std::move(layout)),
      runningApplications_(runningApplications),
      workspace_(workspace),
      configurationStore_(configurationStore) {}

std::vector<fs::path> QuillstoneUpgradeDetector::findInstalledSetupApplications() const {
    std::vector<fs::path> found;
    if (auto agent = agentApplication()) {
        found.push_back(*agent);
    }
    try {
        for (const auto& application : runningApplications_.withBundleIdentifier(statusBundleIdentifier)) {
            if (auto container = outermostApplicationBundle(application.bundlePath)) {
                found.push_back(*container);
            }
        }
    } catch (const std::exception&) {
        // An unreadable process list only means fewer places to look.
    }
    try {
        for (const auto& url : workspace_.applicationURLs(setupBundleIdentifier)) {
            found.push_back(url);
        }
    } catch (const std::exception&) {
    }
    for (auto& entry : applicationsFolderEntries()) {
        found.push_back(std::move(entry));
    }

    std::vector<fs::path> unique;
    std::set<fs::path> seen;
    for (const auto& url : found) {
        fs::path standard = QuillstoneApplicationPaths::standardized(url);
        if (seen.insert(standard).second) {
            unique.push_back(url);
        }
    }
    return unique;
}

std::optional<fs::path> QuillstoneUpgradeDetector::agentApplication() const {
    try {
        auto plist = Plist::parse(fileManager_.readFile(layout_.launchAgentsFolder / agentPropertyListName));
        if (!plist || !plist->isDictionary()) {
            return std::nullopt;
        }
        auto arguments = plist->stringArray("ProgramArguments");
        if (!arguments || arguments->empty()) {
            return std::nullopt;
        }
        return outermostApplicationBundle(arguments->front());
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::vector<fs::path> QuillstoneUpgradeDetector::applicationsFolderEntries() const {
    std::vector<fs::path> entries;
    std::vector<std::string> names;
    try {
        names = fileManager_.contentsOfDirectory(layout_.applicationsFolder);
    } catch (const std::exception&) {
        return entries;
    }
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        if (!name.starts_with(".") && QuillstoneApplicationPaths::hasApplicationExtension(name)) {
            entries.push_back(layout_.applicationsFolder / name);
        }
    }
    return entries;
}

bool QuillstoneUpgradeDetector::qualifies(const fs::path& entry, const fs::path& current) const {
    fs::path standard = QuillstoneApplicationPaths::standardized(entry);
    if (standard == current || !fileManager_.fileExists(standard)) {
        return false;
    }
    if (standard.parent_path() != QuillstoneApplicationPaths::standardized(layout_.applicationsFolder)) {
        return false;
    }
    return Bundle(standard).identifier() == std::string(setupBundleIdentifier);
}

std::optional<QuillstoneUpgradeCandidate> QuillstoneUpgradeDetector::detectUpgradeCandidate(
    const Bundle& bundle) const {
    const bool preservesLegacyClassicFiles = !configurationStore_.loadComplete().has_value();
    const auto applications = findInstalledSetupApplications();
    const fs::path current = QuillstoneApplicationPaths::standardized(bundle.path());
    const std::string currentVersion = versionOf(bundle);
    const std::string currentBuild = buildOf(bundle);

    for (const auto& entry : applications) {
        if (!qualifies(entry, current)) {
            continue;
        }
        Bundle installed(QuillstoneApplicationPaths::standardized(entry));
        const std::string installedVersion = versionOf(installed);
        const std::string installedBuild = buildOf(installed);
        auto order = compareVersionsNumerically(installedVersion, currentVersion);
        if (order == 0) {
            order = compareVersionsNumerically(installedBuild, currentBuild);
        }
        if (order < 0) {
            return QuillstoneUpgradeCandidate{installedVersion, installedBuild, installed.path(),
                                              currentVersion,   currentBuild,   preservesLegacyClassicFiles};
        }
    }
    return std::nullopt;
}

} // namespace quillstone
