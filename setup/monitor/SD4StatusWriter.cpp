#include "setup/monitor/SD4StatusWriter.h"

#include "platform/AppleJson.h"
#include "platform/FileError.h"
#include "platform/InternetDateTime.h"
#include "setup/model/QuillstoneStatusDocument.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <string_view>
#include <utility>
#include <vector>

namespace quillstone {

using nlohmann::json;

namespace {
// printf's "%.Nf" as in the C locale: the separator is a point whatever the user's locale.
std::string fixed(double value, int decimals) {
    char text[64];
    auto result = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return std::string(text, result.ptr);
}
} // namespace

SD4StatusWriter::SD4StatusWriter(FileManager& fileManager, const Volumes& volumes, LocalizedCollator collator,
                                 const Clock& clock)
    : fileManager_(fileManager), volumes_(volumes), collator_(std::move(collator)), clock_(clock) {}

std::optional<SD4StatusWriter::MountedVolume> SD4StatusWriter::mountedVolume(const std::string& named) const {
    std::optional<MountedVolume> found;
    int matches = 0;
    for (const auto& volume : volumes_.mountedVolumes()) {
        if (!volume.name || *volume.name != named) {
            continue;
        }
        if (++matches > 1) {
            return std::nullopt;
        }
        found = MountedVolume{volume.url, volumes_.availableCapacity(volume.url)};
    }
    return found;
}

std::string SD4StatusWriter::freeSpaceText(const MountedVolume& volume) {
    if (!volume.availableCapacity || *volume.availableCapacity < 0) {
        return "";
    }
    constexpr int64_t mebi = int64_t(1) << 20;
    constexpr int64_t gibi = int64_t(1) << 30;
    constexpr int64_t tebi = int64_t(1) << 40;
    int64_t bytes = *volume.availableCapacity;
    double value = static_cast<double>(bytes);
    if (bytes >= tebi) {
        return fixed(value / static_cast<double>(tebi), 1) + "Ti";
    }
    if (bytes >= gibi) {
        return fixed(value / static_cast<double>(gibi), 0) + "Gi";
    }
    return fixed(value / static_cast<double>(mebi), 0) + "Mi";
}

std::string SD4StatusWriter::completedAtText(int64_t endedAtUnixNanos) {
    // Integer floor division: exact for every 64-bit value, where a detour through
    // double could round a time just before a whole second up to that second.
    constexpr int64_t perSecond = 1'000'000'000;
    int64_t seconds = endedAtUnixNanos / perSecond;
    if (endedAtUnixNanos % perSecond < 0) {
        --seconds;
    }
    return formatInternetDateTimeFromUnixSeconds(seconds);
}

json SD4StatusWriter::entry(const SD4RunEvent& event, const SD4ResolvedRun& run) const {
    auto source = mountedVolume(run.source);
    auto destination = mountedVolume(run.destination);
    bool succeeded = event.outcome == SD4RunOutcome::succeeded;
    json entry = json::object();
    entry["id"] = event.copyJobID;
    entry["name"] = run.jobName;
    entry["status"] = succeeded ? successStatus : failureStatus;
    entry["completedAt"] = completedAtText(event.endedAtUnixNanos);
    entry["source"] = run.source;
    entry["sourcePath"] = source ? source->url.string() : "";
    entry["destination"] = run.destination;
    entry["destinationPath"] = destination ? destination->url.string() : "";
    entry["copyScript"] = copyScript;
    entry["freeSpace"] = destination ? freeSpaceText(*destination) : "";
    entry["runID"] = event.runID;
    entry["outcome"] = std::string(rawValue(event.outcome));
    entry["summary"] = run.summary;
    entry["isCatchup"] = event.isCatchup;
    entry["succeeded"] = succeeded;
    auto putNumber = [&](const char* key, const std::optional<int64_t>& value) {
        if (value) {
            entry[key] = *value;
        }
    };
    auto putText = [&](const char* key, const std::optional<std::string>& value) {
        if (value) {
            entry[key] = *value;
        }
    };
    putNumber("bytesCopied", run.bytesCopied);
    putNumber("itemsCopied", run.itemsCopied);
    putNumber("itemsUpdated", run.itemsUpdated);
    putNumber("itemsDeleted", run.itemsDeleted);
    putNumber("deferredCount", run.deferredCount);
    putText("startedAtDisplay", run.startedAtDisplay);
    putText("endedAtDisplay", run.endedAtDisplay);
    putText("bootableDisplay", run.bootableDisplay);
    return entry;
}

void SD4StatusWriter::merge(json& root, json newEntry) const {
    json entries = json::array();
    auto backups = root.find("backups");
    if (backups != root.end() && backups->is_array()) {
        entries = std::move(*backups);
    }
    const std::string& jobID = newEntry["id"].get_ref<const std::string&>();
    json kept = json::array();
    kept.get_ref<json::array_t&>().reserve(entries.size() + 1);
    for (auto& existing : entries) {
        if (!existing.is_object()) {
            continue;
        }
        auto id = existing.find("id");
        if (id != existing.end() && id->is_string() && id->get_ref<const std::string&>() == jobID) {
            continue;
        }
        kept.push_back(std::move(existing));
    }
    kept.push_back(std::move(newEntry));

    // One sort key per entry keeps the sort at n log n cheap byte comparisons.
    auto nameOf = [](const json& object) -> std::string_view {
        auto name = object.find("name");
        return name != object.end() && name->is_string() ? std::string_view(name->get_ref<const std::string&>())
                                                         : std::string_view();
    };
    auto& list = kept.get_ref<json::array_t&>();
    std::vector<std::pair<std::string, size_t>> order;
    order.reserve(list.size());
    for (size_t index = 0; index < list.size(); ++index) {
        order.emplace_back(collator_.sortKey(nameOf(list[index])), index);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& left, const auto& right) { return left.first < right.first; });
    json sorted = json::array();
    sorted.get_ref<json::array_t&>().reserve(list.size());
    for (const auto& [key, index] : order) {
        sorted.push_back(std::move(list[index]));
    }
    kept = std::move(sorted);
    root["backups"] = std::move(kept);
}

void SD4StatusWriter::write(const SD4RunEvent& event, const SD4ResolvedRun& run,
                            const std::filesystem::path& statusFile) const {
    auto reading = QuillstoneStatusDocument::readForMerge(fileManager_, statusFile);
    merge(reading.root, entry(event, run));
    fileManager_.createDirectories(statusFile.parent_path());
    std::string bytes = prettyJson(reading.root);
    if (reading.keepAside) {
        auto seconds = std::chrono::duration_cast<std::chrono::seconds>(clock_.now().time_since_epoch()).count();
        try {
            // A rename never copies and never replaces: the old bytes stay as they were.
            fileManager_.moveItem(statusFile, QuillstoneStatusDocument::asidePath(statusFile, seconds));
        } catch (const FileError& error) {
            if (error.errorNumber() != ENOENT) {
                throw;
            }
        }
    }
    fileManager_.replaceAtomically(statusFile, bytes, filePermissions);
    fileManager_.setPermissions(statusFile, filePermissions);
}

} // namespace quillstone
