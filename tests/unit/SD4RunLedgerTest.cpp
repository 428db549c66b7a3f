#include "setup/monitor/SD4RunLedger.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

SD4RunEvent event(const std::string& jobID, const std::string& runID) {
    return SD4RunEvent{1, jobID, runID, SD4RunOutcome::succeeded, false, 1};
}

class SD4RunLedgerTest : public ::testing::Test {
protected:
    std::filesystem::path file() const { return home.path() / ".local/share/Quillstone/sd4-run-ledger.json"; }

    TemporaryFolder home;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
};

} // namespace

TEST_F(SD4RunLedgerTest, AnswersByExactRunIDPerJobAndSavesOnlyWhenAsked) {
    SD4RunLedger ledger(files);
    EXPECT_FALSE(ledger.hasProcessed(event("J", "R1")));
    ledger.record(event("J", "R1"));
    ledger.record(event("J", "R2"));
    ledger.record(event("K", "R2"));
    EXPECT_FALSE(ledger.hasProcessed(event("J", "R1")));
    EXPECT_TRUE(ledger.hasProcessed(event("K", "R2")));
    EXPECT_FALSE(ledger.hasProcessed(event("L", "R2")));
    EXPECT_FALSE(ledger.hasProcessed(event("J", "r2")));
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_NO_THROW(ledger.removeFile());
    EXPECT_TRUE(ledger.hasProcessed(event("J", "R2")));
    EXPECT_TRUE(ledger.save());
    EXPECT_EQ(readText(file()), R"({"latestEndedAtUnixNanosByJobID":{"J":1,"K":1},)"
                                R"("latestRunIDByJobID":{"J":"R2","K":"R2"},"schemaVersion":1})");
    EXPECT_TRUE(SD4RunLedger(files).hasProcessed(event("J", "R2")));
    ledger.removeFile();
    EXPECT_FALSE(std::filesystem::exists(file()));
    EXPECT_FALSE(ledger.hasProcessed(event("J", "R2")));

    // A folder that cannot be made: nothing is written and the record stays.
    writeText(home.path() / "blocked", "a file, not a folder");
    SD4RunLedger blocked(files, home.path() / "blocked/inner/sd4-run-ledger.json");
    blocked.record(event("J", "R1"));
    EXPECT_FALSE(blocked.save());
    EXPECT_EQ(readText(home.path() / "blocked"), "a file, not a folder");
    EXPECT_TRUE(blocked.hasProcessed(event("J", "R1")));
}

TEST_F(SD4RunLedgerTest, AnyFileThatIsNotExactlyVersionOneLoadsEmpty) {
    for (const std::string bytes : {
             R"({"schemaVersion":1,"latestRunIDByJobID":{"J":"R1","K":7}})",
             R"({"schemaVersion":2,"latestRunIDByJobID":{"J":"R1"}})",
             R"({"schemaVersion":1.5,"latestRunIDByJobID":{"J":"R1"}})",
             R"({"schemaVersion":"1","latestRunIDByJobID":{"J":"R1"}})",
             R"({"latestRunIDByJobID":{"J":"R1"}})",
             R"({"schemaVersion":1,"latestRunIDByJobID":["J","R1"]})",
             R"({"schemaVersion":1})",
             "[1]",
             "{",
         }) {
        SCOPED_TRACE(bytes);
        writeText(file(), bytes);
        SD4RunLedger ledger(files);
        EXPECT_TRUE(ledger.storage().latestRunIDByJobID.empty());
        EXPECT_EQ(readText(file()), bytes);
    }
}

TEST_F(SD4RunLedgerTest, KeepsTheNewestEndTimePerJobAndToleratesFilesWithoutOne) {
    writeText(file(), R"({"schemaVersion":1,"latestRunIDByJobID":{"J":"R1","K":"R7"},)"
                      R"("latestEndedAtUnixNanosByJobID":{"J":50,"K":"late"}})");
    SD4RunLedger ledger(files);
    EXPECT_TRUE(ledger.hasProcessed(event("K", "R7"))) << "a damaged time costs only the order";
    const SD4RunEvent older{1, "J", "R0", SD4RunOutcome::succeeded, false, 49};
    const SD4RunEvent newer{1, "J", "R2", SD4RunOutcome::succeeded, false, 60};
    EXPECT_TRUE(ledger.hasNewerRun(older));
    EXPECT_FALSE(ledger.hasNewerRun(newer));
    EXPECT_FALSE(ledger.hasNewerRun(event("K", "R8")));
    EXPECT_FALSE(ledger.hasUnsavedChanges());

    ledger.claim(newer);
    EXPECT_TRUE(ledger.hasUnsavedChanges());
    EXPECT_FALSE(ledger.hasProcessed(newer)) << "a claim names no run";
    ledger.record(older);
    EXPECT_TRUE(ledger.hasNewerRun(older)) << "the end time never moves back";
    ASSERT_TRUE(ledger.save());
    EXPECT_FALSE(ledger.hasUnsavedChanges());
    EXPECT_EQ(SD4RunLedger(files).storage().latestEndedAtUnixNanosByJobID,
              (std::map<std::string, int64_t>{{"J", 60}}));
}
