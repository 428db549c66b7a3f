#pragma once

#include "platform/FileManager.h"
#include "platform/RunningApplications.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>

namespace quillstone {

// setup-session.json in the support folder: which wizard process is running, or
// when a monitor-mode process last asked for a new one. Best effort throughout:
// every failure is swallowed and behaves as if there were no record.
// Confined to the main thread.
class QuillstoneSetupSession {
public:
    static constexpr const char* fileName = "setup-session.json";
    static constexpr const char* setupBundleIdentifier = "com.quillstone.Quillstone-Setup";

    struct Record {
        std::optional<int32_t> processIdentifier;
        // Seconds since 2001-01-01T00:00:00Z.
        std::optional<double> launchRequestedAt;

        // Compact JSON; an absent field is left out.
        std::string encode() const;
        // nullopt unless a JSON object whose known keys carry the right types.
        static std::optional<Record> decode(const std::string& bytes);
        bool operator==(const Record&) const = default;
    };

    // Whether a process with this id exists.
    using ProcessProbe = std::function<bool(pid_t)>;
    static bool signalZeroProbe(pid_t processIdentifier);

    explicit QuillstoneSetupSession(FileManager& fileManager = PosixFileManager::shared(),
                                    RunningApplications& runningApplications = defaultRunningApplications(),
                                    ProcessProbe processExists = signalZeroProbe,
                                    pid_t ownProcessIdentifier = currentProcessIdentifier());

    // The one process-wide instance, created on first use.
    static QuillstoneSetupSession& shared();

    const std::filesystem::path& fileURL() const { return fileURL_; }
    pid_t ownProcessIdentifier() const { return ownProcessIdentifier_; }

    void writeRecord(const Record& record) noexcept;
    std::optional<Record> readRecord() const noexcept;
    // Brings a live wizard forward and says whether it came; a record naming a
    // dead process, or one that is no wizard, is deleted.
    bool activateRunningSetup() noexcept;
    // Deletes the record only when it names this process.
    void clearOwnRecord() noexcept;

private:
    static RunningApplications& defaultRunningApplications();
    static pid_t currentProcessIdentifier();
    void removeRecord() noexcept;

    FileManager& fileManager_;
    RunningApplications& runningApplications_;
    ProcessProbe processExists_;
    pid_t ownProcessIdentifier_;
    std::filesystem::path fileURL_;
};

} // namespace quillstone
