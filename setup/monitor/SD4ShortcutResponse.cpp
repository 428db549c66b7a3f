#include "setup/monitor/SD4ShortcutResponse.h"

#include "platform/BoundedJson.h"
#include "platform/UnicodeText.h"
#include "setup/monitor/SD4ShortcutResolverError.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <nlohmann/json.hpp>
#include <unicode/uchar.h>
#include <unicode/utf8.h>

namespace quillstone {

using nlohmann::json;

namespace {

std::string requiredString(const json& root, const char* key) {
    auto found = root.find(key);
    if (found == root.end() || found->is_null()) {
        throw SD4ShortcutResponse::DecodingError(std::string("\"") + key + "\" is missing.");
    }
    if (!found->is_string()) {
        throw SD4ShortcutResponse::DecodingError(std::string("\"") + key + "\" is not a string.");
    }
    return found->get<std::string>();
}

std::optional<std::string> optionalString(const json& root, const char* key) {
    auto found = root.find(key);
    if (found == root.end() || found->is_null()) {
        return std::nullopt;
    }
    if (!found->is_string()) {
        throw SD4ShortcutResponse::DecodingError(std::string("\"") + key + "\" is not a string.");
    }
    return found->get<std::string>();
}

int64_t requiredInteger(const json& root, const char* key) {
    auto found = root.find(key);
    if (found == root.end() || found->is_null()) {
        throw SD4ShortcutResponse::DecodingError(std::string("\"") + key + "\" is missing.");
    }
    if (found->is_number_integer() && !found->is_number_unsigned()) {
        return found->get<int64_t>();
    }
    if (found->is_number_unsigned() && found->get<uint64_t>() <= uint64_t(std::numeric_limits<int64_t>::max())) {
        return static_cast<int64_t>(found->get<uint64_t>());
    }
    if (found->is_number_float()) {
        // 1.0 is the integer 1; 1.5 or 1e300 is no integer at all.
        double value = found->get<double>();
        if (std::trunc(value) == value && value >= -9.2e18 && value <= 9.2e18) {
            return static_cast<int64_t>(value);
        }
    }
    throw SD4ShortcutResponse::DecodingError(std::string("\"") + key + "\" is not an integer.");
}

} // namespace

SD4ShortcutResponse SD4ShortcutResponse::decode(std::string_view bytes) {
    std::string whyNot;
    auto parsed = BoundedJson::parse(bytes, &whyNot);
    if (!parsed) {
        throw DecodingError(whyNot);
    }
    const json& root = *parsed;
    if (!root.is_object()) {
        throw DecodingError("the answer is not a JSON object.");
    }
    SD4ShortcutResponse response;
    response.version = requiredInteger(root, "version");
    response.jobName = requiredString(root, "job_name");
    response.runID = requiredString(root, "run_id");
    response.outcome = requiredString(root, "outcome");
    response.summary = requiredString(root, "summary");
    response.source = requiredString(root, "source");
    response.destination = requiredString(root, "destination");
    response.bytesCopied = optionalString(root, "bytes_copied");
    response.itemsCopied = optionalString(root, "items_copied");
    response.itemsUpdated = optionalString(root, "items_updated");
    response.itemsDeleted = optionalString(root, "items_deleted");
    response.startedAt = optionalString(root, "started_at");
    response.endedAt = optionalString(root, "ended_at");
    response.bootable = optionalString(root, "bootable");
    response.deferredCount = optionalString(root, "deferred_count");
    return response;
}

SD4ResolvedRun SD4ShortcutResponse::resolvedRun(const SD4RunEvent& event) const {
    if (version != 1 || runID != event.runID) {
        throw SD4ShortcutResolverError::invalidResponse();
    }
    auto answered = normalizedOutcome(outcome);
    if (!answered || *answered != event.outcome || jobName.empty()) {
        throw SD4ShortcutResolverError::invalidResponse();
    }
    SD4ResolvedRun run;
    run.jobName = jobName;
    run.runID = runID;
    run.outcome = *answered;
    run.summary = summary;
    run.source = source;
    run.destination = destination;
    run.bytesCopied = numberValue(bytesCopied);
    run.itemsCopied = numberValue(itemsCopied);
    run.itemsUpdated = numberValue(itemsUpdated);
    run.itemsDeleted = numberValue(itemsDeleted);
    run.startedAtDisplay = displayValue(startedAt);
    run.endedAtDisplay = displayValue(endedAt);
    run.bootableDisplay = displayValue(bootable);
    run.deferredCount = numberValue(deferredCount);
    return run;
}

std::optional<SD4RunOutcome> SD4ShortcutResponse::normalizedOutcome(std::string_view text) {
    std::string normalized = lowercased(trimmingWhitespace(text));
    std::replace(normalized.begin(), normalized.end(), '-', '_');
    std::replace(normalized.begin(), normalized.end(), ' ', '_');
    return outcomeFromRawValue(normalized);
}

std::optional<int64_t> SD4ShortcutResponse::numberValue(const std::optional<std::string>& text) {
    if (!text || text->size() > size_t(std::numeric_limits<int32_t>::max())) {
        return std::nullopt;
    }
    const auto* bytes = reinterpret_cast<const uint8_t*>(text->data());
    auto length = static_cast<int32_t>(text->size());
    int32_t index = 0;
    bool anyNumeric = false;
    bool allDecimal = true;
    int64_t value = 0;
    while (index < length) {
        UChar32 character;
        U8_NEXT(bytes, index, length, character);
        if (character < 0) {
            continue;
        }
        auto category = u_charType(character);
        if (category != U_DECIMAL_DIGIT_NUMBER && category != U_LETTER_NUMBER && category != U_OTHER_NUMBER) {
            continue;
        }
        anyNumeric = true;
        int32_t digit = u_charDigitValue(character);
        if (category != U_DECIMAL_DIGIT_NUMBER || digit < 0 || digit > 9) {
            allDecimal = false;
            continue;
        }
        if (allDecimal) {
            if (value > (std::numeric_limits<int64_t>::max() - digit) / 10) {
                return std::nullopt;
            }
            value = value * 10 + digit;
        }
    }
    if (!anyNumeric || !allDecimal) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::string> SD4ShortcutResponse::displayValue(const std::optional<std::string>& text) {
    if (!text) {
        return std::nullopt;
    }
    std::string trimmed = trimmingWhitespace(*text);
    if (trimmed.empty()) {
        return std::nullopt;
    }
    return trimmed;
}

} // namespace quillstone
