#pragma once

#include <filesystem>
#include <optional>

namespace quillstone {

// An exclusive advisory lock (flock) on a folder, held while the value lives.
// The kernel drops it when the process ends in any way, a SIGKILL included,
// and children never inherit it, so it tells exactly whether another process
// of ours still holds it.
class FolderLock {
public:
    // Nullopt when another holder has it or the folder cannot be opened; never blocks.
    static std::optional<FolderLock> tryAcquire(const std::filesystem::path& folder);

    FolderLock(FolderLock&& other) noexcept;
    FolderLock& operator=(FolderLock&& other) noexcept;
    FolderLock(const FolderLock&) = delete;
    FolderLock& operator=(const FolderLock&) = delete;
    ~FolderLock();

private:
    explicit FolderLock(int descriptor) : descriptor_(descriptor) {}
    int descriptor_ = -1;
};

} // namespace quillstone
