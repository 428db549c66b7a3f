#include "tools/superduper4/SuperDuperRunRecord.h"

#include "platform/AppleJson.h"

namespace quillstone {

using nlohmann::json;
namespace fs = std::filesystem;

const std::vector<std::string>& SuperDuperRunRecord::detailKeys() {
    static const std::vector<std::string> keys{"bytes_copied", "items_copied", "items_updated", "items_deleted",
                                               "started_at",   "ended_at",     "bootable",      "deferred_count"};
    return keys;
}

fs::path SuperDuperRunRecord::runsFolder(const UserDomain& domain) {
    fs::path base = domain.applicationSupportDirectories.empty() ? domain.home / ".local" / "share"
                                                                 : domain.applicationSupportDirectories.front();
    return base / "superduper4" / "runs";
}

bool SuperDuperRunRecord::isValidRunID(const std::string& runID) {
    return !runID.empty() && runID != "." && runID != ".." && runID.find('/') == std::string::npos &&
           runID.find('\0') == std::string::npos && runID.size() < 200;
}

json SuperDuperRunRecord::encoded() const {
    json record = {{"copy_job_id", copyJobID}, {"run_id", runID},   {"job_name", jobName},
                   {"outcome", outcome},       {"summary", summary}, {"source", source},
                   {"destination", destination}};
    for (const auto& [key, value] : details) {
        record[key] = value;
    }
    return record;
}

json SuperDuperRunRecord::answer() const {
    json answer = encoded();
    answer.erase("copy_job_id");
    answer["version"] = 1;
    return answer;
}

void SuperDuperRunRecord::save(FileManager& fileManager, const fs::path& folder) const {
    if (!isValidRunID(runID)) {
        throw Error(invalidRunIDDescription + runID);
    }
    fileManager.createDirectories(folder);
    fileManager.replaceAtomically(folder / (runID + ".json"), prettyJson(encoded()), 0600);
}

SuperDuperRunRecord SuperDuperRunRecord::load(const FileManager& fileManager, const fs::path& folder,
                                              const std::string& runID) {
    if (!isValidRunID(runID)) {
        throw Error(invalidRunIDDescription + runID);
    }
    fs::path file = folder / (runID + ".json");
    if (!fileManager.fileExists(file)) {
        throw Error(notRecordedPrefix + runID);
    }
    json stored = json::parse(fileManager.readFile(file), nullptr, false);
    auto text = [&](const char* key) -> std::string {
        auto found = stored.find(key);
        if (found == stored.end() || !found->is_string()) {
            throw Error(unreadablePrefix + file.string());
        }
        return found->get<std::string>();
    };
    if (!stored.is_object()) {
        throw Error(unreadablePrefix + file.string());
    }
    SuperDuperRunRecord record;
    record.copyJobID = text("copy_job_id");
    record.runID = text("run_id");
    record.jobName = text("job_name");
    record.outcome = text("outcome");
    record.summary = text("summary");
    record.source = text("source");
    record.destination = text("destination");
    for (const auto& key : detailKeys()) {
        auto found = stored.find(key);
        if (found != stored.end() && found->is_string()) {
            record.details[key] = found->get<std::string>();
        }
    }
    return record;
}

} // namespace quillstone
