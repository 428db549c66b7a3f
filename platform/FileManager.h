#pragma once

#include "platform/UserDomain.h"

#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillstone {

// The file-system service every store is handed. Failures throw FileError
// with the OS's message; nothing here reports a failure as success.
class FileManager {
public:
    virtual ~FileManager() = default;

    virtual const UserDomain& userDomain() const = 0;

    virtual bool fileExists(const std::filesystem::path& path) const = 0;
    virtual std::string readFile(const std::filesystem::path& path) const = 0;
    // Creates the folder and every missing parent; an existing folder is fine.
    virtual void createDirectories(const std::filesystem::path& path) = 0;
    // Temp file in the same folder, fsync, rename over the target, fsync the folder.
    virtual void replaceAtomically(const std::filesystem::path& path, const std::string& bytes,
                                   mode_t mode = 0644) = 0;
    // Writes the file only when nothing exists at the path, without a
    // check-then-write race. Returns false when something was already there.
    virtual bool createIfMissing(const std::filesystem::path& path, const std::string& bytes,
                                 mode_t mode = 0644) = 0;
    // Appends to an existing file; throws (ENOENT) when it does not exist.
    virtual void appendToExisting(const std::filesystem::path& path, const std::string& bytes) = 0;
    // Deletes a file; a missing file is not an error.
    virtual void removeFile(const std::filesystem::path& path) = 0;
    // Deletes a file or a folder with everything in it; a missing item is not an error.
    virtual void removeItem(const std::filesystem::path& path);
    virtual void setPermissions(const std::filesystem::path& path, mode_t mode) = 0;
    // Renames a file or folder within one file system; fails (EEXIST) rather than
    // replace something at the destination. Not pure, so existing fakes keep working.
    virtual void moveItem(const std::filesystem::path& from, const std::filesystem::path& to);

    // Names of every entry of a folder, hidden ones included, in no set order.
    virtual std::vector<std::string> contentsOfDirectory(const std::filesystem::path& folder) const;
    // Whether the current user may delete the item: its folder is writable and,
    // when that folder is sticky, the user owns the item or the folder.
    virtual bool isDeletableFile(const std::filesystem::path& path) const;
    // Looks at the item itself, not at what a link points to; throws when it cannot.
    virtual bool isSymbolicLink(const std::filesystem::path& path) const;
};

// The real file system of this machine.
class PosixFileManager : public FileManager {
public:
    explicit PosixFileManager(UserDomain domain = UserDomain::fromEnvironment());

    // The process-wide default, built from the environment on first use.
    static PosixFileManager& shared();

    const UserDomain& userDomain() const override { return domain_; }
    bool fileExists(const std::filesystem::path& path) const override;
    std::string readFile(const std::filesystem::path& path) const override;
    // At most limit bytes of a regular file; anything larger, or not a regular file
    // (a pipe, a device), throws FileError (EFBIG, EINVAL) without being read whole.
    std::string readRegularFile(const std::filesystem::path& path, size_t limit) const;
    void createDirectories(const std::filesystem::path& path) override;
    void replaceAtomically(const std::filesystem::path& path, const std::string& bytes, mode_t mode) override;
    bool createIfMissing(const std::filesystem::path& path, const std::string& bytes, mode_t mode) override;
    void appendToExisting(const std::filesystem::path& path, const std::string& bytes) override;
    void removeFile(const std::filesystem::path& path) override;
    void setPermissions(const std::filesystem::path& path, mode_t mode) override;
    std::vector<std::string> contentsOfDirectory(const std::filesystem::path& folder) const override;
    bool isDeletableFile(const std::filesystem::path& path) const override;
    bool isSymbolicLink(const std::filesystem::path& path) const override;

private:
    UserDomain domain_;
};

} // namespace quillstone
