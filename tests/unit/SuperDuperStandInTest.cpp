#include "platform/AppleJson.h"
#include "resources/details-shortcut/DetailsShortcut.h"
#include "support/TemporaryFolder.h"
#include "tools/superduper4/SuperDuperStandInOptions.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>
#include <sstream>

using namespace quillstone;
using nlohmann::json;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;
using Options = SuperDuperStandInOptions;
using Entry = std::pair<std::string, Options::Value>;

// The typed payload and the recorded details are checked through the real program.
TEST(SuperDuperStandInOptions, BuildsTheNotificationFromItsOptions) {
    Options options = Options::parse({"--job-id", "J1", "--outcome", "wrong_drive", "--catchup"});
    EXPECT_TRUE(options.record);
    EXPECT_TRUE(options.post);
    auto payload = options.payload(42);
    ASSERT_EQ(payload.size(), 6u);
    EXPECT_EQ(payload[0], (Entry{"version", int32_t(1)}));
    EXPECT_EQ(payload[3], (Entry{"outcome", std::string("wrong_drive")}));
    EXPECT_EQ(payload[4], (Entry{"is_catchup", true}));
    EXPECT_EQ(payload[5], (Entry{"ended_at_unix_nanos", int64_t(42)}));
    EXPECT_EQ(options.run.runID.size(), 36u);
}

TEST(SuperDuperStandInOptions, MalformedPayloadsOnRequest) {
    Options options = Options::parse({"--raw", "--job-id", "J1", "--run-id", "R1", "--omit", "run_id", "--as-string",
                                      "version", "--as-string", "is_catchup", "--payload-version", "2"});
    EXPECT_FALSE(options.record);
    auto payload = options.payload(5);
    ASSERT_EQ(payload.size(), 5u);
    EXPECT_EQ(payload[0], (Entry{"version", std::string("2")}));
    EXPECT_EQ(payload[2].first, "outcome");
    EXPECT_EQ(payload[3], (Entry{"is_catchup", std::string("false")}));
    EXPECT_FALSE(Options::parse({"--raw", "--no-payload", "--omit", "copy_job_id"}).withPayload);
}

TEST(SuperDuperStandInOptions, RejectsCommandLinesThatCannotWork) {
    EXPECT_THROW(Options::parse({}), Options::UsageError);
    EXPECT_THROW(Options::parse({"--job-id"}), Options::UsageError);
    EXPECT_THROW(Options::parse({"--job-id", "J", "--ended-at-nanos", "soon"}), Options::UsageError);
    EXPECT_THROW(Options::parse({"--job-id", "J", "--frobnicate"}), Options::UsageError);
    EXPECT_THROW(Options::parse({"--job-id", "J", "--run-id", "../../etc/passwd"}), Options::UsageError);
    EXPECT_THROW(Options::parse({"--job-id", "J", "--raw", "--record-only"}), Options::UsageError);
    EXPECT_NO_THROW(Options::parse({"--raw", "--job-id", "J", "--run-id", "../odd"}));
    EXPECT_TRUE(Options::parse({"--help"}).showHelp);
}

namespace {

class DetailsShortcutTest : public ::testing::Test {
protected:
    DetailsShortcutTest() {
        SuperDuperRunRecord{"J1", "R1", "Nightly", "succeeded", "Copied.", "Macintosh HD", "Backup",
                            {{"bytes_copied", "12.5 GB"}, {"deferred_count", "none"}}}
            .save(files, runs);
    }

    int answer(const std::string& request) {
        writeText(home / "w/input.json", request);
        err.str("");
        DetailsShortcut shortcut(files, runs, err);
        return shortcut.run({"--input-path", (home / "w/input.json").string(), "--output-path",
                             (home / "w/output.json").string()});
    }

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    std::filesystem::path runs = SuperDuperRunRecord::runsFolder(files.userDomain());
    std::ostringstream err;
};

} // namespace

TEST_F(DetailsShortcutTest, AnswersWithTheRecordedDetailsAllAsStrings) {
    EXPECT_EQ(runs, home / ".local/share/superduper4/runs");
    ASSERT_EQ(answer(R"({"version":1,"copy_job_id":"J1","run_id":"R1"})"), 0) << err.str();
    EXPECT_EQ(json::parse(readText(home / "w/output.json")),
              (json{{"version", 1},
                    {"job_name", "Nightly"},
                    {"run_id", "R1"},
                    {"outcome", "succeeded"},
                    {"summary", "Copied."},
                    {"source", "Macintosh HD"},
                    {"destination", "Backup"},
                    {"bytes_copied", "12.5 GB"},
                    {"deferred_count", "none"}}));
}

TEST_F(DetailsShortcutTest, FailsWithAMessageForUnknownRunsOtherJobsAndBadRequests) {
    EXPECT_EQ(answer(R"({"version":1,"copy_job_id":"J1","run_id":"R2"})"), 1);
    EXPECT_EQ(answer(R"({"version":1,"copy_job_id":"J9","run_id":"R1"})"), 1);
    EXPECT_EQ(err.str(), "The recorded run belongs to another copy job: J1\n");
    EXPECT_EQ(answer(R"({"version":1,"copy_job_id":"J1","run_id":"../runs/R1"})"), 1);
    EXPECT_EQ(answer(R"({"version":2,"copy_job_id":"J1","run_id":"R1"})"), 1);
    EXPECT_EQ(answer(R"({"version":1,"run_id":"R1"})"), 1);
    EXPECT_EQ(answer("not json"), 1);
    EXPECT_EQ(err.str(), "The request could not be read: not a JSON object.\n");
    EXPECT_FALSE(std::filesystem::exists(home / "w/output.json"));
    writeText(runs / "R3.json", R"({"run_id": "R3"})");
    EXPECT_EQ(answer(R"({"version":1,"copy_job_id":"J1","run_id":"R3"})"), 1);
    DetailsShortcut shortcut(files, runs, err);
    EXPECT_EQ(shortcut.run({"--input-path", "x"}), 64);
}
