#include "helpers/launchctl/SupervisorStateFolder.h"

#include "platform/FileError.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <nlohmann/json.hpp>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillstone {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

const char* const identityFileName = "supervisor.pid";
const char* const statusFileName = "status.json";

bool isFolder(const char* path) {
    struct stat info {};
    return path != nullptr && *path != '\0' && ::stat(path, &info) == 0 && S_ISDIR(info.st_mode);
}

json encodeIdentity(const std::optional<ProcessIdentity>& identity) {
    return identity ? json(identity->encode()) : json(nullptr);
}

} // namespace

SupervisorStateFolder::SupervisorStateFolder(FileManager& files, fs::path root)
    : files_(files), root_(std::move(root)) {}

fs::path SupervisorStateFolder::defaultRoot() {
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"); isFolder(runtime)) {
        return fs::path(runtime) / "quillstone-launchd";
    }
    if (const char* state = std::getenv("XDG_STATE_HOME"); state != nullptr && *state == '/') {
        return fs::path(state) / "quillstone-launchd";
    }
    const char* home = std::getenv("HOME");
    return fs::path(home != nullptr && *home != '\0' ? home : "/tmp") / ".local/state/quillstone-launchd";
}

SupervisorStateFolder::Lock::Lock(Lock&& other) noexcept : descriptor_(other.descriptor_) {
    other.descriptor_ = -1;
}

SupervisorStateFolder::Lock::~Lock() {
    if (descriptor_ >= 0) {
        ::close(descriptor_);
    }
}

SupervisorStateFolder::Lock SupervisorStateFolder::lock(const std::string& label) {
    files_.createDirectories(root_ / "locks");
    ::chmod(root_.c_str(), 0700);
    fs::path path = root_ / "locks" / label;
    int descriptor = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        throw FileError(errno, path, "open");
    }
    while (::flock(descriptor, LOCK_EX) != 0) {
        if (errno != EINTR) {
            int error = errno;
            ::close(descriptor);
            throw FileError(error, path, "lock");
        }
    }
    return Lock(descriptor);
}

std::optional<ProcessIdentity> SupervisorStateFolder::recordedSupervisor(const std::string& label) const {
    try {
        return ProcessIdentity::decode(files_.readFile(folder(label) / identityFileName));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

std::optional<ProcessIdentity> SupervisorStateFolder::liveSupervisor(const std::string& label) const {
    auto identity = recordedSupervisor(label);
    if (identity && identity->isAlive()) {
        return identity;
    }
    return std::nullopt;
}

void SupervisorStateFolder::recordSupervisor(const std::string& label, const ProcessIdentity& identity) {
    files_.createDirectories(folder(label));
    files_.replaceAtomically(folder(label) / identityFileName, identity.encode(), 0600);
}

std::optional<SupervisedStatus> SupervisorStateFolder::status(const std::string& label) const {
    try {
        auto document = json::parse(files_.readFile(folder(label) / statusFileName));
        SupervisedStatus status;
        auto& service = status.service;
        service.label = document.at("label").get<std::string>();
        service.plistPath = document.at("plistPath").get<std::string>();
        service.programArguments = document.at("programArguments").get<std::vector<std::string>>();
        service.state = document.at("state").get<std::string>();
        if (document.at("pid").is_number_integer()) {
            service.pid = document.at("pid").get<pid_t>();
        }
        if (document.at("lastExitStatus").is_number_integer()) {
            service.lastExitStatus = document.at("lastExitStatus").get<int>();
        }
        service.runs = document.at("runs").get<unsigned>();
        service.manager = document.at("manager").get<std::string>();
        status.generation = document.at("generation").get<unsigned long long>();
        if (document.at("agent").is_string()) {
            status.agent = ProcessIdentity::decode(document.at("agent").get<std::string>());
        }
        status.exitTimeout = std::chrono::milliseconds(document.at("exitTimeoutMilliseconds").get<long long>());
        status.lastError = document.at("lastError").get<std::string>();
        return status;
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void SupervisorStateFolder::publish(const std::string& label, const SupervisedStatus& status) {
    const auto& service = status.service;
    json document = {
        {"label", service.label},
        {"plistPath", service.plistPath.string()},
        {"programArguments", service.programArguments},
        {"state", service.state},
        {"pid", service.pid ? json(*service.pid) : json(nullptr)},
        {"lastExitStatus", service.lastExitStatus ? json(*service.lastExitStatus) : json(nullptr)},
        {"runs", service.runs},
        {"manager", service.manager},
        {"generation", status.generation},
        {"agent", encodeIdentity(status.agent)},
        {"exitTimeoutMilliseconds", status.exitTimeout.count()},
        {"lastError", status.lastError},
    };
    files_.createDirectories(folder(label));
    files_.replaceAtomically(folder(label) / statusFileName, document.dump(-1, ' ', false, json::error_handler_t::replace),
                             0600);
}

void SupervisorStateFolder::remove(const std::string& label) {
    files_.removeFile(folder(label) / statusFileName);
    files_.removeFile(folder(label) / identityFileName);
    std::error_code ignored;
    fs::remove(folder(label), ignored);
}

} // namespace quillstone
