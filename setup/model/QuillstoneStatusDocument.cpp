#include "setup/model/QuillstoneStatusDocument.h"

#include "platform/BoundedJson.h"
#include "platform/FileError.h"

#include <cerrno>

namespace quillstone {

using nlohmann::json;

namespace {

json freshRoot() {
    json fresh = json::object();
    fresh["backups"] = json::array();
    return fresh;
}

// The rules after the first, for a root that is an object.
json shaped(json root) {
    auto backups = root.find("backups");
    if (backups != root.end() && backups->is_array()) {
        bool allObjects = true;
        for (const auto& element : *backups) {
            allObjects = allObjects && element.is_object();
        }
        if (allObjects) {
            return root;
        }
    }
    if (root.contains("status")) {
        json wrapped = json::object();
        wrapped["backups"] = json::array({root});
        return wrapped;
    }
    root["backups"] = json::array();
    return root;
}

} // namespace

json QuillstoneStatusDocument::readForMerge(const std::optional<std::string>& bytes) {
    auto root = bytes ? BoundedJson::parse(*bytes) : std::nullopt;
    return root && root->is_object() ? shaped(std::move(*root)) : freshRoot();
}

QuillstoneStatusDocument::Reading QuillstoneStatusDocument::readForMerge(const FileManager& fileManager,
                                                                         const std::filesystem::path& file) {
    std::string bytes;
    try {
        bytes = BoundedJson::readBytes(fileManager, file);
    } catch (const FileError& error) {
        return {freshRoot(), error.errorNumber() != ENOENT};
    } catch (const std::exception&) {
        return {freshRoot(), true};
    }
    auto root = BoundedJson::parse(bytes);
    if (!root || !root->is_object()) {
        return {freshRoot(), true};
    }
    return {shaped(std::move(*root)), false};
}

std::filesystem::path QuillstoneStatusDocument::asidePath(const std::filesystem::path& file, std::int64_t unixSeconds) {
    std::filesystem::path aside = file;
    aside += ".unreadable-" + std::to_string(unixSeconds);
    return aside;
}

bool QuillstoneStatusDocument::createEmptyIfMissing(FileManager& fileManager, const std::filesystem::path& file) {
    return fileManager.createIfMissing(file, std::string(emptyDocument), 0644);
}

} // namespace quillstone
