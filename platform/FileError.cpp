#include "platform/FileError.h"

#include <cstring>

namespace quillstone {

namespace {
std::string describe(int errorNumber, const std::filesystem::path& path, const std::string& operation) {
    return operation + " \"" + path.string() + "\": " + std::strerror(errorNumber);
}
} // namespace

FileError::FileError(int errorNumber, const std::filesystem::path& path, const std::string& operation)
    : std::runtime_error(describe(errorNumber, path, operation)), errorNumber_(errorNumber), path_(path) {}

} // namespace quillstone
