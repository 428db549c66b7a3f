#pragma once

#include <filesystem>
#include <stdexcept>
#include <string>

namespace quillstone {

// A file-system failure, carrying the OS's own message and the path involved.
class FileError : public std::runtime_error {
public:
    FileError(int errorNumber, const std::filesystem::path& path, const std::string& operation);

    int errorNumber() const { return errorNumber_; }
    const std::filesystem::path& path() const { return path_; }

private:
    int errorNumber_;
    std::filesystem::path path_;
};

} // namespace quillstone
