#include "setup/monitor/SD4RunLedger.h"

#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/SupportFolder.h"
#include "setup/monitor/SD4StoredJson.h"

#include <nlohmann/json.hpp>

namespace quillstone {

using nlohmann::json;

namespace {
const char* const endedAtKey = "latestEndedAtUnixNanosByJobID";
}

SD4RunLedger::SD4RunLedger(FileManager& fileManager, std::optional<std::filesystem::path> fileURL)
    : fileManager_(fileManager),
      fileURL_(fileURL ? std::move(*fileURL) : supportFolder(fileManager.userDomain()) / fileName) {
    if (!fileManager_.fileExists(fileURL_)) {
        return;
    }
    try {
        if (auto decoded = decode(BoundedJson::readBytes(fileManager_, fileURL_))) {
            storage_ = std::move(*decoded);
        }
    } catch (const std::exception&) {
        // At worst a run already written is written once more, to the same entry.
    }
}

std::optional<SD4RunLedger::Storage> SD4RunLedger::decode(const std::string& bytes) {
    const json root = BoundedJson::parse(bytes).value_or(json());
    if (!root.is_object()) {
        return std::nullopt;
    }
    auto schemaVersion = storedJson::integer(root, "schemaVersion");
    auto map = root.find("latestRunIDByJobID");
    if (!schemaVersion || *schemaVersion != currentSchemaVersion || map == root.end() || !map->is_object()) {
        return std::nullopt;
    }
    Storage storage;
    for (const auto& [jobID, runID] : map->items()) {
        if (!runID.is_string()) {
            return std::nullopt;
        }
        storage.latestRunIDByJobID.emplace(jobID, runID.get<std::string>());
    }
    // Tolerant: a damaged time map costs only the ordering, never the run IDs.
    auto times = root.find(endedAtKey);
    if (times != root.end() && times->is_object()) {
        for (auto item = times->begin(); item != times->end(); ++item) {
            if (auto value = storedJson::integer(*times, item.key().c_str())) {
                storage.latestEndedAtUnixNanosByJobID.emplace(item.key(), *value);
            }
        }
    }
    return storage;
}

std::string SD4RunLedger::encode(const Storage& storage) {
    json map = json::object();
    for (const auto& [jobID, runID] : storage.latestRunIDByJobID) {
        map[jobID] = runID;
    }
    json root{{"schemaVersion", storage.schemaVersion}, {"latestRunIDByJobID", std::move(map)}};
    if (!storage.latestEndedAtUnixNanosByJobID.empty()) {
        json times = json::object();
        for (const auto& [jobID, nanos] : storage.latestEndedAtUnixNanosByJobID) {
            times[jobID] = nanos;
        }
        root[endedAtKey] = std::move(times);
    }
    return compactJson(root);
}

bool SD4RunLedger::hasProcessed(const SD4RunEvent& event) const {
    auto found = storage_.latestRunIDByJobID.find(event.copyJobID);
    return found != storage_.latestRunIDByJobID.end() && found->second == event.runID;
}

bool SD4RunLedger::hasNewerRun(const SD4RunEvent& event) const {
    auto found = storage_.latestEndedAtUnixNanosByJobID.find(event.copyJobID);
    return found != storage_.latestEndedAtUnixNanosByJobID.end() && found->second > event.endedAtUnixNanos;
}

void SD4RunLedger::claim(const SD4RunEvent& event) {
    auto [found, inserted] = storage_.latestEndedAtUnixNanosByJobID.emplace(event.copyJobID, event.endedAtUnixNanos);
    if (!inserted && found->second < event.endedAtUnixNanos) {
        found->second = event.endedAtUnixNanos;
        inserted = true;
    }
    unsaved_ = unsaved_ || inserted;
}

void SD4RunLedger::record(const SD4RunEvent& event) {
    std::string& latest = storage_.latestRunIDByJobID[event.copyJobID];
    unsaved_ = unsaved_ || latest != event.runID;
    latest = event.runID;
    claim(event);
}

bool SD4RunLedger::save() {
    try {
        fileManager_.createDirectories(fileURL_.parent_path());
        fileManager_.replaceAtomically(fileURL_, encode(storage_));
        unsaved_ = false;
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

void SD4RunLedger::removeFile() {
    if (!fileManager_.fileExists(fileURL_)) {
        return;
    }
    fileManager_.removeFile(fileURL_);
    storage_ = Storage{};
}

} // namespace quillstone
