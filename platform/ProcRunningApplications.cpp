#include "platform/ProcRunningApplications.h"

#include "platform/Bundle.h"

#include <cctype>
#include <csignal>
#include <map>
#include <optional>
#include <sys/stat.h>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

std::optional<pid_t> processIdentifierFromName(const std::string& name) {
    if (name.empty() || name.size() > 9) {
        return std::nullopt;
    }
    pid_t value = 0;
    for (char character : name) {
        if (!std::isdigit(static_cast<unsigned char>(character))) {
            return std::nullopt;
        }
        value = value * 10 + (character - '0');
    }
    return value > 0 ? std::optional<pid_t>(value) : std::nullopt;
}

// The link of a replaced executable still names its bundle, with a marker appended.
fs::path executableOf(const fs::path& processFolder) {
    std::error_code error;
    std::string target = fs::read_symlink(processFolder / "exe", error).string();
    if (error) {
        return {};
    }
    const std::string deleted = " (deleted)";
    if (target.size() > deleted.size() && target.compare(target.size() - deleted.size(), deleted.size(), deleted) == 0) {
        target.resize(target.size() - deleted.size());
    }
    return target;
}

bool sendSignal(const RunningApplication& application, int signal) {
    // 0 and negative ids address process groups; never signal those.
    return application.processIdentifier > 0 && ::kill(application.processIdentifier, signal) == 0;
}

} // namespace

ProcRunningApplications::ProcRunningApplications(uid_t user, fs::path procRoot)
    : user_(user), procRoot_(std::move(procRoot)) {}

ProcRunningApplications& ProcRunningApplications::shared() {
    static ProcRunningApplications applications;
    return applications;
}

std::vector<RunningApplication> ProcRunningApplications::withBundleIdentifier(const std::string& bundleIdentifier) {
    std::vector<RunningApplication> found;
    std::map<fs::path, std::optional<std::string>> identifiers; // one Info.plist read per bundle
    std::error_code error;
    for (fs::directory_iterator entry(procRoot_, error), end; !error && entry != end; entry.increment(error)) {
        auto processIdentifier = processIdentifierFromName(entry->path().filename().string());
        struct stat owner {};
        if (!processIdentifier || ::stat(entry->path().c_str(), &owner) != 0 || owner.st_uid != user_) {
            continue;
        }
        auto bundle = Bundle::containingExecutable(executableOf(entry->path()));
        if (!bundle) {
            continue;
        }
        auto known = identifiers.find(bundle->path());
        if (known == identifiers.end()) {
            known = identifiers.emplace(bundle->path(), bundle->identifier()).first;
        }
        if (known->second == bundleIdentifier) {
            found.push_back({*processIdentifier, bundleIdentifier, bundle->path()});
        }
    }
    return found;
}

void ProcRunningApplications::setActivator(Activator activator) {
    std::lock_guard guard(activatorLock_);
    activator_ = std::move(activator);
}

bool ProcRunningApplications::activate(const RunningApplication& application) {
    Activator activator;
    {
        std::lock_guard guard(activatorLock_);
        activator = activator_;
    }
    return application.processIdentifier > 0 && activator && activator(application);
}

bool ProcRunningApplications::terminate(const RunningApplication& application) {
    return sendSignal(application, SIGTERM);
}

bool ProcRunningApplications::forceTerminate(const RunningApplication& application) {
    return sendSignal(application, SIGKILL);
}

} // namespace quillstone
