#include "setup/monitor/SD4ShortcutResolver.h"
#include "setup/monitor/SD4ShortcutResolverError.h"
#include "setup/monitor/SD4ShortcutResponse.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

using namespace quillstone;
using nlohmann::json;

namespace {

json answer() {
    return {{"version", 1},           {"job_name", "Nightly"},  {"run_id", "R1"},
            {"outcome", "succeeded"}, {"summary", "All good"}, {"source", "Macintosh HD"},
            {"destination", "Backup"}};
}

SD4RunEvent event(SD4RunOutcome outcome = SD4RunOutcome::succeeded) {
    return SD4RunEvent{1, "JOB", "R1", outcome, false, 1};
}

SD4ResolvedRun resolve(const json& root, const SD4RunEvent& forEvent = event()) {
    return SD4ShortcutResponse::decode(root.dump()).resolvedRun(forEvent);
}

// What becomes of an answer: "accepted", "undecodable" or "invalid".
std::string verdict(const json& root, const SD4RunEvent& forEvent) {
    try {
        resolve(root, forEvent);
        return "accepted";
    } catch (const SD4ShortcutResponse::DecodingError&) {
        return "undecodable";
    } catch (const SD4ShortcutResolverError& error) {
        // Its text: SD4ShortcutResolverTest.
        EXPECT_EQ(error.code(), SD4ShortcutResolverError::Code::invalidResponse);
        return "invalid";
    }
}

} // namespace

TEST(SD4ShortcutNumberRule, ReadsTheDecimalDigitsInOrderOrNothing) {
    // Signs and separators are not digits ("1,234 items", "12.5 GB": ShortcutChainTest); other scripts'
    // decimal digits are.
    const std::vector<std::pair<std::string, int64_t>> numbers{
        {"0", 0},
        {"-42", 42},
        {"007", 7},
        {"9223372036854775807", INT64_MAX},
        {"\u0661\u0662\u0663\u0664", 1234},
        {"\uFF14\uFF12 files", 42},
    };
    for (const auto& [text, number] : numbers) {
        EXPECT_EQ(SD4ShortcutResponse::numberValue(text), number) << text;
    }
    // Overflow, and numerals that are no decimal digits: one half, Roman eight, superscript two.
    for (const char* text :
         {"none", "", "9223372036854775808", "99999999999999999999999", "3\u00BD", "\u2167", "2\u00B2"}) {
        EXPECT_EQ(SD4ShortcutResponse::numberValue(text), std::nullopt) << text;
    }
}

// Plain blanks and trimming: BuildsTheResolvedRunFromEveryField.
TEST(SD4ShortcutDisplayRule, TrimsAndTreatsBlankAsAbsent) {
    using R = SD4ShortcutResponse;
    EXPECT_EQ(R::displayValue(std::nullopt), std::nullopt);
    EXPECT_EQ(R::displayValue("\n\t \u00A0"), std::nullopt);
    EXPECT_EQ(R::displayValue("Yes  (APFS)"), "Yes  (APFS)");
}

TEST(SD4ShortcutOutcome, NormalizesCaseBlanksAndHyphens) {
    const std::vector<std::pair<std::string, std::optional<SD4RunOutcome>>> cases{
        {"Succeeded", SD4RunOutcome::succeeded},
        {" wrong-drive ", SD4RunOutcome::wrongDrive},
        {"CANCELLED", SD4RunOutcome::cancelled},
        {"Destination Not Connected\n", SD4RunOutcome::destinationNotConnected},
        {"succeeded!", std::nullopt},
        {"wrong  drive", std::nullopt},
        {"", std::nullopt}};
    for (const auto& [text, outcome] : cases) {
        EXPECT_EQ(SD4ShortcutResponse::normalizedOutcome(text), outcome) << text;
    }
}

// Each value has its type, and the answer must fit the run the event names.
TEST(SD4ShortcutResponseDecoding, TypesOfValuesAndFitToTheEvent) {
    struct Case {
        const char* key;
        json value; // discarded: the key is absent
        const char* verdict;
        SD4RunOutcome outcome = SD4RunOutcome::succeeded;
    };
    const json absent(json::value_t::discarded);
    for (const Case& c :
         {Case{"bytes_copied", 1234, "undecodable"}, Case{"bytes_copied", nullptr, "accepted"},
          Case{"started_at", nullptr, "accepted"}, Case{"job_name", absent, "undecodable"},
          Case{"summary", nullptr, "undecodable"}, Case{"version", "1", "undecodable"},
          Case{"version", 1.5, "undecodable"}, Case{"something_else", json::array({1, 2}), "accepted"},
          Case{"version", 2, "invalid"}, Case{"run_id", "r1", "invalid"},
          Case{"outcome", "partly", "invalid"},
          Case{"outcome", "Wrong Drive", "invalid", SD4RunOutcome::failed}, Case{"job_name", "", "invalid"},
          Case{"job_name", "  ", "accepted"}}) {
        json root = answer();
        if (c.value.is_discarded()) {
            root.erase(c.key);
        } else {
            root[c.key] = c.value;
        }
        EXPECT_EQ(verdict(root, event(c.outcome)), c.verdict) << root.dump();
    }
    EXPECT_EQ(verdict(json::array({answer()}), event()), "undecodable");
    EXPECT_THROW(SD4ShortcutResponse::decode("{\"version\": 1,"), SD4ShortcutResponse::DecodingError);
    EXPECT_THROW(SD4ShortcutResponse::decode(""), SD4ShortcutResponse::DecodingError);
}

TEST(SD4ShortcutResponseDecoding, BuildsTheResolvedRunFromEveryField) {
    json full = answer();
    full.update(json::parse(R"({"outcome": " Wrong Drive ", "bytes_copied": "1,234,567 bytes",
        "items_copied": "12", "items_updated": null, "items_deleted": "0", "started_at": "  ",
        "ended_at": " 18:08 ", "bootable": "Yes", "deferred_count": "3 items"})"));
    SD4ResolvedRun run = resolve(full, event(SD4RunOutcome::wrongDrive));
    SD4ResolvedRun expected;
    expected.jobName = "Nightly";
    expected.runID = "R1";
    expected.outcome = SD4RunOutcome::wrongDrive;
    expected.summary = "All good";
    expected.source = "Macintosh HD";
    expected.destination = "Backup";
    expected.bytesCopied = 1234567;
    expected.itemsCopied = 12;
    expected.itemsDeleted = 0;
    expected.endedAtDisplay = "18:08";
    expected.bootableDisplay = "Yes";
    expected.deferredCount = 3;
    EXPECT_EQ(run, expected);
}

TEST(SD4ShortcutResolverRequest, FailureMessages) {
    EXPECT_EQ(SD4ShortcutResolver::failureMessage("  Not allowed.\n"), "Not allowed.");
    EXPECT_EQ(SD4ShortcutResolver::failureMessage(" \n"), "Unknown Shortcut error");
    EXPECT_EQ(SD4ShortcutResolver::failureMessage("bad \xFF\xFE bytes"), "Unknown Shortcut error");
    // Output cut at the kept limit in the middle of a character loses only that character.
    const size_t limit = SD4ShortcutResolver::keptErrorBytes;
    for (const std::string tail : {"\xC3", "\xE2\x82", "\xF0\x9F\x98"}) {
        std::string cut = std::string(limit - tail.size(), 'x') + tail;
        EXPECT_EQ(SD4ShortcutResolver::failureMessage(cut), std::string(limit - tail.size(), 'x'));
    }
    const std::string whole = std::string(limit - 3, 'x') + "\xE2\x82\xAC";
    EXPECT_EQ(SD4ShortcutResolver::failureMessage(whole), whole);
}
