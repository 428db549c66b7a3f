#include "setup/app/QuillstoneSetupSession.h"

#include "platform/AppleJson.h"
#include "platform/BoundedJson.h"
#include "platform/ProcRunningApplications.h"
#include "platform/SupportFolder.h"

#include <cerrno>
#include <cmath>
#include <csignal>
#include <limits>
#include <nlohmann/json.hpp>
#include <unistd.h>

namespace quillstone {

namespace {
constexpr const char* processIdentifierKey = "processIdentifier";
constexpr const char* launchRequestedAtKey = "launchRequestedAt";
} // namespace

std::string QuillstoneSetupSession::Record::encode() const {
    nlohmann::json object = nlohmann::json::object();
    if (processIdentifier) {
        object[processIdentifierKey] = *processIdentifier;
    }
    if (launchRequestedAt) {
        object[launchRequestedAtKey] = *launchRequestedAt;
    }
    return compactJson(object);
}

std::optional<QuillstoneSetupSession::Record> QuillstoneSetupSession::Record::decode(const std::string& bytes) {
    nlohmann::json object = BoundedJson::parse(bytes).value_or(nlohmann::json());
    if (!object.is_object()) {
        return std::nullopt;
    }
    Record record;
    if (auto found = object.find(processIdentifierKey); found != object.end() && !found->is_null()) {
        // An integer in the signed 32-bit range; 5.5 or 2^40 is not a process id.
        if (found->is_number_integer() && !found->is_number_unsigned()) {
            auto value = found->get<int64_t>();
            if (value < std::numeric_limits<int32_t>::min() || value > std::numeric_limits<int32_t>::max()) {
                return std::nullopt;
            }
            record.processIdentifier = static_cast<int32_t>(value);
        } else if (found->is_number_unsigned()) {
            auto value = found->get<uint64_t>();
            if (value > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) {
                return std::nullopt;
            }
            record.processIdentifier = static_cast<int32_t>(value);
        } else {
            return std::nullopt;
        }
    }
    if (auto found = object.find(launchRequestedAtKey); found != object.end() && !found->is_null()) {
        if (!found->is_number()) {
            return std::nullopt;
        }
        double value = found->get<double>();
        if (!std::isfinite(value)) {
            return std::nullopt;
        }
        record.launchRequestedAt = value;
    }
    return record;
}

bool QuillstoneSetupSession::signalZeroProbe(pid_t processIdentifier) {
    // 0 and negative ids name process groups, not one process.
    if (processIdentifier <= 0) {
        return false;
    }
    return ::kill(processIdentifier, 0) == 0 || errno == EPERM;
}

RunningApplications& QuillstoneSetupSession::defaultRunningApplications() { return ProcRunningApplications::shared(); }

pid_t QuillstoneSetupSession::currentProcessIdentifier() { return ::getpid(); }

QuillstoneSetupSession::QuillstoneSetupSession(FileManager& fileManager, RunningApplications& runningApplications,
                                               ProcessProbe processExists, pid_t ownProcessIdentifier)
    : fileManager_(fileManager), runningApplications_(runningApplications), processExists_(std::move(processExists)),
      ownProcessIdentifier_(ownProcessIdentifier), fileURL_(supportFolder(fileManager.userDomain()) / fileName) {}

QuillstoneSetupSession& QuillstoneSetupSession::shared() {
    static QuillstoneSetupSession session;
    return session;
}

void QuillstoneSetupSession::writeRecord(const Record& record) noexcept {
    try {
        fileManager_.createDirectories(fileURL_.parent_path());
    } catch (const std::exception&) {
        return;
    }
    try {
        fileManager_.replaceAtomically(fileURL_, record.encode());
    } catch (const std::exception&) {
        // Best effort: the next reopen behaves as if there were no record.
    }
}

std::optional<QuillstoneSetupSession::Record> QuillstoneSetupSession::readRecord() const noexcept {
    try {
        if (!fileManager_.fileExists(fileURL_)) {
            return std::nullopt;
        }
        return Record::decode(BoundedJson::readBytes(fileManager_, fileURL_));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

bool QuillstoneSetupSession::activateRunningSetup() noexcept {
    auto record = readRecord();
    if (!record || !record->processIdentifier) {
        return false;
    }
    const pid_t processIdentifier = *record->processIdentifier;
    if (processExists_(processIdentifier)) {
        try {
            // Only a process of our own bundle counts: a recycled id may now belong to anything.
            for (const auto& application : runningApplications_.withBundleIdentifier(setupBundleIdentifier)) {
                if (application.processIdentifier == processIdentifier) {
                    // A live wizard that did not come forward is no answer, but its record stays true.
                    return runningApplications_.activate(application);
                }
            }
        } catch (const std::exception&) {
            // Treated as not running.
        }
    }
    removeRecord();
    return false;
}

void QuillstoneSetupSession::clearOwnRecord() noexcept {
    auto record = readRecord();
    if (record && record->processIdentifier == ownProcessIdentifier_) {
        removeRecord();
    }
}

void QuillstoneSetupSession::removeRecord() noexcept {
    try {
        fileManager_.removeFile(fileURL_);
    } catch (const std::exception&) {
        // Best effort.
    }
}

} // namespace quillstone
