#pragma once

#include "platform/FileManager.h"

namespace quillstone::testing {

// The real file system, counting whole-file writes.
class CountingFileManager : public PosixFileManager {
public:
    using PosixFileManager::PosixFileManager;

    void replaceAtomically(const std::filesystem::path& path, const std::string& bytes, mode_t mode) override {
        ++replacements;
        PosixFileManager::replaceAtomically(path, bytes, mode);
    }

    int replacements = 0;
};

} // namespace quillstone::testing
