#include "tools/superduper4/SuperDuperStandInOptions.h"

#include "platform/Uuid.h"

#include <charconv>
#include <map>

namespace quillstone {

namespace {

int64_t integerArgument(const std::string& option, const std::string& text) {
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        throw SuperDuperStandInOptions::UsageError(option + " needs an integer, not \"" + text + "\"");
    }
    return value;
}

const std::map<std::string, std::string>& detailOptions() {
    static const std::map<std::string, std::string> options{
        {"--bytes-copied", "bytes_copied"}, {"--items-copied", "items_copied"},
        {"--items-updated", "items_updated"}, {"--items-deleted", "items_deleted"},
        {"--started-at", "started_at"},     {"--ended-at", "ended_at"},
        {"--bootable", "bootable"},         {"--deferred-count", "deferred_count"}};
    return options;
}

} // namespace

SuperDuperStandInOptions SuperDuperStandInOptions::parse(const std::vector<std::string>& arguments) {
    SuperDuperStandInOptions options;
    options.run.outcome = "succeeded";
    options.run.jobName = "Backup";
    options.run.summary = "Copy finished.";
    options.run.source = "Macintosh HD";
    options.run.destination = "Backup";
    for (size_t index = 0; index < arguments.size(); ++index) {
        const std::string& option = arguments[index];
        auto value = [&]() -> const std::string& {
            if (index + 1 >= arguments.size()) {
                throw UsageError(option + " needs a value");
            }
            return arguments[++index];
        };
        if (option == "--help" || option == "-h") {
            options.showHelp = true;
        } else if (option == "--job-id") {
            options.run.copyJobID = value();
        } else if (option == "--run-id") {
            options.run.runID = value();
        } else if (option == "--outcome") {
            options.run.outcome = value();
        } else if (option == "--catchup") {
            options.isCatchup = true;
        } else if (option == "--ended-at-nanos") {
            options.endedAtUnixNanos = integerArgument(option, value());
        } else if (option == "--job-name") {
            options.run.jobName = value();
        } else if (option == "--summary") {
            options.run.summary = value();
        } else if (option == "--source") {
            options.run.source = value();
        } else if (option == "--destination") {
            options.run.destination = value();
        } else if (auto detail = detailOptions().find(option); detail != detailOptions().end()) {
            options.run.details[detail->second] = value();
        } else if (option == "--raw") {
            options.record = false;
        } else if (option == "--record-only") {
            options.post = false;
        } else if (option == "--omit") {
            options.omitted.insert(value());
        } else if (option == "--as-string") {
            options.asString.insert(value());
        } else if (option == "--payload-version") {
            int64_t version = integerArgument(option, value());
            if (version < INT32_MIN || version > INT32_MAX) {
                throw UsageError(option + " is out of range");
            }
            options.payloadVersion = static_cast<int32_t>(version);
        } else if (option == "--no-payload") {
            options.withPayload = false;
        } else {
            throw UsageError("unknown option " + option);
        }
    }
    if (options.showHelp) {
        return options;
    }
    if (options.run.copyJobID.empty() && (options.record || !options.omitted.contains("copy_job_id"))) {
        throw UsageError("--job-id is required");
    }
    if (!options.record && !options.post) {
        throw UsageError("--raw and --record-only leave nothing to do");
    }
    if (options.run.runID.empty()) {
        options.run.runID = makeUuidString();
    }
    if (options.record && !SuperDuperRunRecord::isValidRunID(options.run.runID)) {
        throw UsageError(SuperDuperRunRecord::invalidRunIDDescription + options.run.runID);
    }
    return options;
}

std::vector<std::pair<std::string, SuperDuperStandInOptions::Value>>
SuperDuperStandInOptions::payload(int64_t nowUnixNanos) const {
    std::vector<std::pair<std::string, Value>> values{
        {"version", payloadVersion},
        {"copy_job_id", run.copyJobID},
        {"run_id", run.runID},
        {"outcome", run.outcome},
        {"is_catchup", isCatchup},
        {"ended_at_unix_nanos", endedAtUnixNanos.value_or(nowUnixNanos)}};
    std::vector<std::pair<std::string, Value>> sent;
    for (auto& [key, value] : values) {
        if (omitted.contains(key)) {
            continue;
        }
        if (asString.contains(key)) {
            value = std::visit(
                [](const auto& held) -> Value {
                    using T = std::decay_t<decltype(held)>;
                    if constexpr (std::is_same_v<T, std::string>) {
                        return held;
                    } else if constexpr (std::is_same_v<T, bool>) {
                        return std::string(held ? "true" : "false");
                    } else {
                        return std::to_string(held);
                    }
                },
                value);
        }
        sent.emplace_back(key, value);
    }
    return sent;
}

} // namespace quillstone
