#pragma once

#include "platform/FileManager.h"
#include "setup/service/QuillstoneInstalledComponents.h"

#include <filesystem>
#include <optional>

namespace quillstone {

// installed-components.json in the support folder. Confined to the main thread.
class QuillstoneInstalledComponentsStore {
public:
    static constexpr const char* fileName = "installed-components.json";

    explicit QuillstoneInstalledComponentsStore(FileManager& fileManager = PosixFileManager::shared(),
                                                std::optional<std::filesystem::path> fileURL = std::nullopt);

    const std::filesystem::path& fileURL() const { return fileURL_; }

    // The stored record; nullopt when the file is missing, unreadable or undecodable.
    std::optional<QuillstoneInstalledComponents> load() const;
    // Creates the folder and replaces the file atomically; throws the file system's error.
    void save(const QuillstoneInstalledComponents& components);
    // Never fails; a missing file is fine.
    void remove() noexcept;

private:
    FileManager& fileManager_;
    std::filesystem::path fileURL_;
};

} // namespace quillstone
