#include "status/StatusDocument.h"

#include "platform/BoundedJson.h"

#include <nlohmann/json.hpp>

namespace quillstone {

namespace {

std::optional<std::string> requiredString(const nlohmann::json& entry, const char* key) {
    auto found = entry.find(key);
    if (found == entry.end() || !found->is_string()) {
        return std::nullopt;
    }
    return found->get<std::string>();
}

} // namespace

std::optional<StatusDocument> StatusDocument::decode(const std::string& bytes) {
    auto root = BoundedJson::parse(bytes).value_or(nlohmann::json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    auto backups = root.find("backups");
    if (backups == root.end() || !backups->is_array()) {
        return std::nullopt;
    }
    StatusDocument document;
    for (const auto& entry : *backups) {
        if (!entry.is_object()) {
            return std::nullopt;
        }
        auto id = requiredString(entry, "id");
        auto name = requiredString(entry, "name");
        auto status = requiredString(entry, "status");
        auto completedAt = requiredString(entry, "completedAt");
        if (!id || !name || !status || !completedAt) {
            return std::nullopt;
        }
        StatusBackup backup{*id, *name, *status, *completedAt, std::nullopt};
        auto freeSpace = entry.find("freeSpace");
        if (freeSpace != entry.end() && !freeSpace->is_null()) {
            if (!freeSpace->is_string()) {
                return std::nullopt;
            }
            backup.freeSpace = freeSpace->get<std::string>();
        }
        document.backups.push_back(std::move(backup));
    }
    return document;
}

} // namespace quillstone
