#include "setup/model/QuillstoneStatusDocument.h"

namespace quillstone {

using nlohmann::json;

json QuillstoneStatusDocument::readForMerge(const std::optional<std::string>& bytes) {
    json fresh = json::object();
    fresh["backups"] = json::array();
    if (!bytes) {
        return fresh;
    }
    json root = json::parse(*bytes, nullptr, false);
    if (!root.is_object()) {
        return fresh;
    }
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

json QuillstoneStatusDocument::readForMerge(const FileManager& fileManager, const std::filesystem::path& file) {
    std::optional<std::string> bytes;
    try {
        bytes = fileManager.readFile(file);
    } catch (const std::exception&) {
        // Missing or unreadable: start afresh.
    }
    return readForMerge(bytes);
}

bool QuillstoneStatusDocument::createEmptyIfMissing(FileManager& fileManager, const std::filesystem::path& file) {
    return fileManager.createIfMissing(file, std::string(emptyDocument), 0644);
}

} // namespace quillstone
