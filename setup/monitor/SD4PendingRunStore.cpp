#include "setup/monitor/SD4PendingRunStore.h"

#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/SupportFolder.h"
#include "setup/monitor/SD4RunOutcome.h"
#include "setup/monitor/SD4StoredJson.h"

#include <algorithm>
#include <nlohmann/json.hpp>

namespace quillstone {

using nlohmann::json;

SD4PendingRunStore::SD4PendingRunStore(FileManager& fileManager, std::optional<std::filesystem::path> fileURL,
                                       SD4LogFunction log, const Clock& clock)
    : fileManager_(fileManager),
      fileURL_(fileURL ? std::move(*fileURL) : supportFolder(fileManager.userDomain()) / fileName),
      log_(std::move(log)), clock_(clock) {
    load();
}

void SD4PendingRunStore::load() {
    if (!fileManager_.fileExists(fileURL_)) {
        return;
    }
    std::optional<Storage> decoded;
    try {
        decoded = decode(BoundedJson::readBytes(fileManager_, fileURL_));
    } catch (const std::exception&) {
        // Unreadable is handled like undecodable.
    }
    if (decoded) {
        storage_ = std::move(*decoded);
    } else {
        unreadableFileInPlace_ = true;
    }
}

std::optional<SD4PendingRunStore::Storage> SD4PendingRunStore::decode(const std::string& bytes) {
    const json root = BoundedJson::parse(bytes).value_or(json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    auto schemaVersion = storedJson::integer(root, "schemaVersion");
    auto events = root.find("events");
    if (!schemaVersion || *schemaVersion != currentSchemaVersion || events == root.end() || !events->is_array()) {
        return std::nullopt;
    }
    Storage storage;
    for (const json& item : *events) {
        if (!item.is_object()) {
            return std::nullopt;
        }
        auto copyJobID = storedJson::string(item, "copyJobID");
        auto runID = storedJson::string(item, "runID");
        auto outcome = storedJson::string(item, "outcome");
        auto isCatchup = item.find("isCatchup");
        if (!copyJobID || !runID || !outcome || isCatchup == item.end() || !isCatchup->is_boolean()) {
            return std::nullopt;
        }
        storage.events.push_back(PendingEvent{*copyJobID, *runID, *outcome, isCatchup->get<bool>(),
                                              storedJson::integer(item, "endedAtUnixNanos")});
    }
    return storage;
}

std::string SD4PendingRunStore::encode(const Storage& storage) {
    json events = json::array();
    for (const PendingEvent& event : storage.events) {
        json item = {{"copyJobID", event.copyJobID},
                     {"runID", event.runID},
                     {"outcome", event.outcome},
                     {"isCatchup", event.isCatchup}};
        if (event.endedAtUnixNanos) {
            item["endedAtUnixNanos"] = *event.endedAtUnixNanos;
        }
        events.push_back(std::move(item));
    }
    return compactJson(json{{"schemaVersion", storage.schemaVersion}, {"events", std::move(events)}});
}

void SD4PendingRunStore::add(const SD4RunEvent& event) { add(std::vector<SD4RunEvent>{event}); }

void SD4PendingRunStore::add(const std::vector<SD4RunEvent>& events) {
    bool appended = false;
    for (const SD4RunEvent& event : events) {
        const bool known = std::any_of(storage_.events.begin(), storage_.events.end(),
                                       [&](const PendingEvent& stored) { return stored.runID == event.runID; });
        if (!known) {
            storage_.events.push_back(PendingEvent{event.copyJobID, event.runID,
                                                   std::string(rawValue(event.outcome)), event.isCatchup,
                                                   event.endedAtUnixNanos});
            appended = true;
        }
    }
    if (appended) {
        save();
    }
}

std::vector<SD4RunEvent> SD4PendingRunStore::pendingEvents() const {
    std::vector<SD4RunEvent> result;
    for (const PendingEvent& stored : storage_.events) {
        auto outcome = outcomeFromRawValue(stored.outcome);
        if (!outcome || !stored.endedAtUnixNanos || *stored.endedAtUnixNanos < 1) {
            continue;
        }
        result.push_back(
            SD4RunEvent{1, stored.copyJobID, stored.runID, *outcome, stored.isCatchup, *stored.endedAtUnixNanos});
    }
    return result;
}

void SD4PendingRunStore::remove(const std::string& runID) { remove(std::vector<std::string>{runID}); }

void SD4PendingRunStore::remove(const std::vector<std::string>& runIDs) {
    std::erase_if(storage_.events, [&](const PendingEvent& stored) {
        return std::find(runIDs.begin(), runIDs.end(), stored.runID) != runIDs.end();
    });
    save();
}

void SD4PendingRunStore::save() {
    try {
        fileManager_.createDirectories(fileURL_.parent_path());
        if (unreadableFileInPlace_ && !keepUnreadableFileAside()) {
            return;
        }
        fileManager_.replaceAtomically(fileURL_, encode(storage_));
    } catch (const std::exception&) {
        // The events stay in memory; the next add or remove writes them again.
    }
}

bool SD4PendingRunStore::keepUnreadableFileAside() {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(clock_.now().time_since_epoch()).count();
    std::filesystem::path aside = fileURL_;
    aside += unreadableSuffix + std::to_string(seconds);
    try {
        fileManager_.moveItem(fileURL_, aside);
    } catch (const std::exception&) {
        // Gone meanwhile is fine; anything else must not be overwritten.
        if (fileManager_.fileExists(fileURL_)) {
            return false;
        }
        unreadableFileInPlace_ = false;
        return true;
    }
    unreadableFileInPlace_ = false;
    if (log_) {
        log_(keptAsideText + aside.string());
    }
    return true;
}

void SD4PendingRunStore::removeFile() {
    if (!fileManager_.fileExists(fileURL_)) {
        return;
    }
    fileManager_.removeFile(fileURL_);
    storage_ = Storage{};
    unreadableFileInPlace_ = false;
}

} // namespace quillstone
