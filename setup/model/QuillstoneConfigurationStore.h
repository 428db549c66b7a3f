#pragma once

#include "platform/FileManager.h"
#include "setup/model/QuillstoneConfiguration.h"

#include <filesystem>
#include <optional>
#include <stdexcept>

namespace quillstone {

class QuillstoneConfigurationStoreError : public std::runtime_error {
public:
    enum class Code { invalidConfiguration };
    static constexpr const char* invalidConfigurationDescription = "The Quillstone configuration is incomplete.";

    explicit QuillstoneConfigurationStoreError(Code code)
        : std::runtime_error(invalidConfigurationDescription), code_(code) {}
    Code code() const { return code_; }

private:
    Code code_;
};

// configuration.json in the support folder. Confined to the main thread.
class QuillstoneConfigurationStore {
public:
    static constexpr const char* fileName = "configuration.json";

    explicit QuillstoneConfigurationStore(FileManager& fileManager = PosixFileManager::shared(),
                                          std::optional<std::filesystem::path> fileURL = std::nullopt);

    FileManager& fileManager() const { return fileManager_; }
    const std::filesystem::path& fileURL() const { return fileURL_; }

    // The stored configuration when it is there, decodable and complete; else the default.
    QuillstoneConfiguration loadOrDefault() const;
    // The stored configuration only when it is complete; nullopt for anything else.
    std::optional<QuillstoneConfiguration> loadComplete() const;
    // Throws QuillstoneConfigurationStoreError (nothing written) or the file system's error.
    void save(const QuillstoneConfiguration& configuration);
    // A missing file is not an error.
    void remove();

private:
    FileManager& fileManager_;
    std::filesystem::path fileURL_;
};

} // namespace quillstone
