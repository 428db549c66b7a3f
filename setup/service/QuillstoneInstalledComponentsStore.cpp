#include "setup/service/QuillstoneInstalledComponentsStore.h"

#include "platform/BoundedJson.h"
#include "platform/SupportFolder.h"

namespace quillstone {

QuillstoneInstalledComponentsStore::QuillstoneInstalledComponentsStore(FileManager& fileManager,
                                                                       std::optional<std::filesystem::path> fileURL)
    : fileManager_(fileManager),
      fileURL_(fileURL ? std::move(*fileURL) : supportFolder(fileManager.userDomain()) / fileName) {}

std::optional<QuillstoneInstalledComponents> QuillstoneInstalledComponentsStore::load() const {
    try {
        if (!fileManager_.fileExists(fileURL_)) {
            return std::nullopt;
        }
        return QuillstoneInstalledComponents::decode(BoundedJson::readBytes(fileManager_, fileURL_));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

void QuillstoneInstalledComponentsStore::save(const QuillstoneInstalledComponents& components) {
    fileManager_.createDirectories(fileURL_.parent_path());
    fileManager_.replaceAtomically(fileURL_, components.encode(), 0644);
}

void QuillstoneInstalledComponentsStore::remove() noexcept {
    try {
        fileManager_.removeFile(fileURL_);
    } catch (const std::exception&) {
        // Removal is best effort by contract.
    }
}

} // namespace quillstone
