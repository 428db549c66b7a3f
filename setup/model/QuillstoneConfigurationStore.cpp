#include "setup/model/QuillstoneConfigurationStore.h"

#include "platform/BoundedJson.h"
#include "platform/SupportFolder.h"

namespace quillstone {

QuillstoneConfigurationStore::QuillstoneConfigurationStore(FileManager& fileManager,
                                                           std::optional<std::filesystem::path> fileURL)
    : fileManager_(fileManager),
      fileURL_(fileURL ? std::move(*fileURL) : supportFolder(fileManager.userDomain()) / fileName) {}

std::optional<QuillstoneConfiguration> QuillstoneConfigurationStore::loadComplete() const {
    if (!fileManager_.fileExists(fileURL_)) {
        return std::nullopt;
    }
    try {
        auto configuration = QuillstoneConfiguration::decode(BoundedJson::readBytes(fileManager_, fileURL_));
        if (configuration && configuration->isComplete()) {
            return configuration;
        }
    } catch (const std::exception&) {
        // Unreadable counts as absent.
    }
    return std::nullopt;
}

QuillstoneConfiguration QuillstoneConfigurationStore::loadOrDefault() const {
    return loadComplete().value_or(QuillstoneConfiguration::defaultFor(fileManager_.userDomain().home));
}

void QuillstoneConfigurationStore::save(const QuillstoneConfiguration& configuration) {
    if (!configuration.isComplete()) {
        throw QuillstoneConfigurationStoreError(QuillstoneConfigurationStoreError::Code::invalidConfiguration);
    }
    fileManager_.createDirectories(fileURL_.parent_path());
    fileManager_.replaceAtomically(fileURL_, configuration.encode(), 0644);
}

void QuillstoneConfigurationStore::remove() {
    if (fileManager_.fileExists(fileURL_)) {
        fileManager_.removeFile(fileURL_);
    }
}

} // namespace quillstone
