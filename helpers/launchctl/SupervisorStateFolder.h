#pragma once

#include "helpers/launchctl/ProcessIdentity.h"
#include "helpers/launchctl/ServiceStatus.h"
#include "platform/FileManager.h"

#include <chrono>
#include <filesystem>
#include <optional>
#include <string>

namespace quillstone {

// What a supervisor publishes about its agent.
struct SupervisedStatus {
    ServiceStatus service;
    // Grows with every published change, so callers can wait for one.
    unsigned long long generation = 0;
    std::optional<ProcessIdentity> agent;
    std::chrono::milliseconds exitTimeout{0};
    std::string lastError;
};

// The per-user folder where supervisors keep their pid and status
// (agents/<label>/), with a lock file per label (locks/<label>) that
// serialises launchctl calls.
class SupervisorStateFolder {
public:
    SupervisorStateFolder(FileManager& files, std::filesystem::path root);

    // $XDG_RUNTIME_DIR/quillstone-launchd, else $XDG_STATE_HOME (or ~/.local/state)/quillstone-launchd.
    static std::filesystem::path defaultRoot();

    // Holds an exclusive lock for the label while alive.
    class Lock {
    public:
        explicit Lock(int descriptor) : descriptor_(descriptor) {}
        Lock(Lock&& other) noexcept;
        Lock& operator=(Lock&&) = delete;
        Lock(const Lock&) = delete;
        ~Lock();
        int descriptor() const { return descriptor_; }

    private:
        int descriptor_;
    };
    Lock lock(const std::string& label);

    // The label's supervisor when it is still alive.
    std::optional<ProcessIdentity> liveSupervisor(const std::string& label) const;
    std::optional<ProcessIdentity> recordedSupervisor(const std::string& label) const;
    void recordSupervisor(const std::string& label, const ProcessIdentity& identity);

    std::optional<SupervisedStatus> status(const std::string& label) const;
    void publish(const std::string& label, const SupervisedStatus& status);

    void remove(const std::string& label);
    const std::filesystem::path& root() const { return root_; }

private:
    // Agents and locks apart, so no label can collide with another's lock.
    std::filesystem::path folder(const std::string& label) const { return root_ / "agents" / label; }

    FileManager& files_;
    std::filesystem::path root_;
};

} // namespace quillstone
