#include "platform/FileManager.h"

#include "platform/FileError.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <limits>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quillstone {

namespace fs = std::filesystem;

namespace {

// Closes a descriptor on every path out of a function.
class Descriptor {
public:
    explicit Descriptor(int fd) : fd_(fd) {}
    ~Descriptor() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    int release() { return std::exchange(fd_, -1); }

private:
    int fd_;
};

void writeAll(int fd, const std::string& bytes, const fs::path& path) {
    const char* data = bytes.data();
    size_t left = bytes.size();
    while (left > 0) {
        ssize_t written = ::write(fd, data, left);
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(errno, path, "Could not write");
        }
        data += written;
        left -= static_cast<size_t>(written);
    }
}

// Reads to the end, refusing more than limit bytes: the file may grow while it is read.
std::string readAll(int fd, const fs::path& path, size_t limit, size_t expected = 0) {
    std::string bytes;
    bytes.reserve(expected);
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd, buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw FileError(errno, path, "Could not read");
        }
        if (got == 0) {
            return bytes;
        }
        if (static_cast<size_t>(got) > limit - bytes.size()) {
            throw FileError(EFBIG, path, "Could not read");
        }
        bytes.append(buffer, static_cast<size_t>(got));
    }
}

void syncFolder(const fs::path& folder) {
    Descriptor dir(::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.get() >= 0) {
        ::fsync(dir.get());
    }
}

// A fully written, synced temporary file beside the target. Removed again
// unless commit() hands it over.
class TemporarySibling {
public:
    TemporarySibling(const fs::path& target, const std::string& bytes, mode_t mode) {
        std::string pattern = (target.parent_path() / ("." + target.filename().string() + ".XXXXXX")).string();
        Descriptor fd(::mkostemp(pattern.data(), O_CLOEXEC));
        if (fd.get() < 0) {
            throw FileError(errno, target, "Could not create a temporary file for");
        }
        path_ = pattern;
        // A throwing constructor runs no destructor: a full disk must not leave the file behind.
        try {
            if (::fchmod(fd.get(), mode) != 0) {
                throw FileError(errno, path_, "Could not set permissions of");
            }
            writeAll(fd.get(), bytes, path_);
            if (::fsync(fd.get()) != 0) {
                throw FileError(errno, path_, "Could not sync");
            }
            if (::close(fd.release()) != 0) {
                throw FileError(errno, path_, "Could not close");
            }
        } catch (...) {
            ::unlink(path_.c_str());
            throw;
        }
    }
    ~TemporarySibling() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    const fs::path& path() const { return path_; }
    void commit() { path_.clear(); }

private:
    fs::path path_;
};

} // namespace

void FileManager::moveItem(const fs::path& from, const fs::path& to) {
    if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) {
        syncFolder(to.parent_path());
        return;
    }
    int renameError = errno;
    // Some file systems cannot rename without replacing; link() never replaces either.
    if (renameError == EINVAL || renameError == ENOSYS || renameError == EOPNOTSUPP) {
        if (::link(from.c_str(), to.c_str()) == 0) {
            ::unlink(from.c_str());
            syncFolder(to.parent_path());
            return;
        }
        renameError = errno;
    }
    throw FileError(renameError, from, "Could not move");
}

// A file manager that does not support a query says so instead of guessing.
std::vector<std::string> FileManager::contentsOfDirectory(const fs::path& folder) const {
    throw FileError(ENOTSUP, folder, "Could not list");
}

bool FileManager::isDeletableFile(const fs::path&) const { return false; }

bool FileManager::isSymbolicLink(const fs::path& path) const {
    throw FileError(ENOTSUP, path, "Could not inspect");
}

PosixFileManager::PosixFileManager(UserDomain domain) : domain_(std::move(domain)) {}

PosixFileManager& PosixFileManager::shared() {
    static PosixFileManager manager;
    return manager;
}

bool PosixFileManager::fileExists(const fs::path& path) const {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::string PosixFileManager::readFile(const fs::path& path) const {
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(errno, path, "Could not open");
    }
    return readAll(fd.get(), path, std::numeric_limits<size_t>::max());
}

std::string PosixFileManager::readRegularFile(const fs::path& path, size_t limit) const {
    // Opened without blocking, so a pipe put in place of the file cannot stall the reader.
    Descriptor fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(errno, path, "Could not open");
    }
    struct stat status {};
    if (::fstat(fd.get(), &status) != 0) {
        throw FileError(errno, path, "Could not read");
    }
    if (!S_ISREG(status.st_mode)) {
        throw FileError(EINVAL, path, "Could not read");
    }
    if (static_cast<std::uint64_t>(status.st_size) > limit) {
        throw FileError(EFBIG, path, "Could not read");
    }
    return readAll(fd.get(), path, limit, static_cast<size_t>(status.st_size));
}

void PosixFileManager::createDirectories(const fs::path& path) {
    std::error_code error;
    fs::create_directories(path, error);
    if (error) {
        throw FileError(error.value(), path, "Could not create the folder");
    }
}

void PosixFileManager::replaceAtomically(const fs::path& path, const std::string& bytes, mode_t mode) {
    TemporarySibling temporary(path, bytes, mode);
    if (::rename(temporary.path().c_str(), path.c_str()) != 0) {
        throw FileError(errno, path, "Could not replace");
    }
    temporary.commit();
    syncFolder(path.parent_path());
}

bool PosixFileManager::createIfMissing(const fs::path& path, const std::string& bytes, mode_t mode) {
    TemporarySibling temporary(path, bytes, mode);
    // link() fails with EEXIST instead of replacing, so two writers cannot both win.
    if (::link(temporary.path().c_str(), path.c_str()) != 0) {
        int linkError = errno;
        // Some synced or FUSE folders refuse hard links; a no-replace rename is just as safe.
        if ((linkError == EPERM || linkError == EOPNOTSUPP || linkError == ENOSYS) &&
            ::renameat2(AT_FDCWD, temporary.path().c_str(), AT_FDCWD, path.c_str(), RENAME_NOREPLACE) == 0) {
            temporary.commit();
            syncFolder(path.parent_path());
            return true;
        }
        if (linkError == EEXIST || errno == EEXIST) {
            return false;
        }
        throw FileError(linkError, path, "Could not create");
    }
    syncFolder(path.parent_path());
    return true;
}

void PosixFileManager::appendToExisting(const fs::path& path, const std::string& bytes) {
    Descriptor fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC));
    if (fd.get() < 0) {
        throw FileError(errno, path, "Could not open");
    }
    writeAll(fd.get(), bytes, path);
}

void PosixFileManager::removeFile(const fs::path& path) {
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        throw FileError(errno, path, "Could not delete");
    }
}

void PosixFileManager::setPermissions(const fs::path& path, mode_t mode) {
    if (::chmod(path.c_str(), mode) != 0) {
        throw FileError(errno, path, "Could not set permissions of");
    }
}

std::vector<std::string> PosixFileManager::contentsOfDirectory(const fs::path& folder) const {
    std::unique_ptr<DIR, int (*)(DIR*)> dir(::opendir(folder.c_str()), ::closedir);
    if (!dir) {
        throw FileError(errno, folder, "Could not list");
    }
    std::vector<std::string> names;
    errno = 0;
    while (const dirent* entry = ::readdir(dir.get())) {
        std::string name = entry->d_name;
        if (name != "." && name != "..") {
            names.push_back(std::move(name));
        }
        errno = 0;
    }
    if (errno != 0) {
        throw FileError(errno, folder, "Could not list");
    }
    return names;
}

bool PosixFileManager::isDeletableFile(const fs::path& path) const {
    struct stat item {};
    if (::lstat(path.c_str(), &item) != 0) {
        return false;
    }
    fs::path parent = path.parent_path();
    if (parent.empty()) {
        parent = ".";
    }
    struct stat folder {};
    if (::stat(parent.c_str(), &folder) != 0 || ::access(parent.c_str(), W_OK | X_OK) != 0) {
        return false;
    }
    if ((folder.st_mode & S_ISVTX) == 0) {
        return true;
    }
    uid_t user = ::geteuid();
    return user == 0 || item.st_uid == user || folder.st_uid == user;
}

bool PosixFileManager::isSymbolicLink(const fs::path& path) const {
    struct stat item {};
    if (::lstat(path.c_str(), &item) != 0) {
        throw FileError(errno, path, "Could not inspect");
    }
    return S_ISLNK(item.st_mode);
}

} // namespace quillstone

namespace quillstone {

void FileManager::removeItem(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::remove_all(path, error);
    if (error && error != std::errc::no_such_file_or_directory) {
        throw FileError(error.value(), path, "Could not delete");
    }
}

} // namespace quillstone
