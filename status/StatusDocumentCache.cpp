#include "status/StatusDocumentCache.h"

#include "platform/BoundedJson.h"

#include <exception>
#include <sys/stat.h>

namespace quillstone {

std::optional<StatusDocument> StatusDocumentCache::read(const FileManager& files, const std::filesystem::path& file) {
    std::lock_guard lock(mutex_);
    // Taken before the read: a change during the read shows as a new stamp next time.
    auto stamp = StatusDocumentCache::stamp(files, file);
    if (stamp && stamp_ == stamp && file_ == file) {
        return document_;
    }
    std::optional<StatusDocument> document;
    if (!stamp || stamp->size <= BoundedJson::maximumBytes) {
        ++decodings_;
        try {
            document = StatusDocument::decode(BoundedJson::readBytes(files, file));
        } catch (const std::exception&) {
            document = std::nullopt;
        }
    }
    file_ = file;
    stamp_ = stamp;
    document_ = document;
    return document;
}

std::optional<StatusDocumentCache::Stamp> StatusDocumentCache::stamp(const FileManager& files,
                                                                     const std::filesystem::path& file) {
    struct stat status {};
    if (!dynamic_cast<const PosixFileManager*>(&files) || ::stat(file.c_str(), &status) != 0) {
        return std::nullopt;
    }
    return Stamp{static_cast<std::uint64_t>(status.st_dev), static_cast<std::uint64_t>(status.st_ino),
                 static_cast<std::uint64_t>(status.st_size),
                 static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1'000'000'000 + status.st_mtim.tv_nsec};
}

unsigned StatusDocumentCache::decodings() const {
    std::lock_guard lock(mutex_);
    return decodings_;
}

} // namespace quillstone
