#pragma once

#include "platform/FileManager.h"
#include "status/StatusDocument.h"

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>

namespace quillstone {

// Reads backup_status.json for the status app, decoding it again only when the
// file changed: same path, device, inode, size and modification time give the
// last decoded document without a read. A file larger than BoundedJson::maximumBytes
// is never read; it counts as unreadable. Safe on any thread; one read at a time.
class StatusDocumentCache {
  public:
    std::optional<StatusDocument> read(const FileManager& files, const std::filesystem::path& file);

    // How many times the file was actually read and decoded; for tests and measurement.
    unsigned decodings() const;

    // What tells one version of a file from another without reading it.
    struct Stamp {
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::uint64_t size = 0;
        std::int64_t modifiedNanoseconds = 0;
        bool operator==(const Stamp&) const = default;
    };
    // Nothing when the item is missing, cannot be examined, or the files are not the real ones.
    static std::optional<Stamp> stamp(const FileManager& files, const std::filesystem::path& file);

  private:
    mutable std::mutex mutex_;
    std::filesystem::path file_;
    std::optional<Stamp> stamp_;
    std::optional<StatusDocument> document_;
    unsigned decodings_ = 0;
};

} // namespace quillstone
