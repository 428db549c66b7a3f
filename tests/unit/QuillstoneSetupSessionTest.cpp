#include "setup/app/QuillstoneSetupSession.h"
#include "support/SetupSessionTest.h"

#include <gtest/gtest.h>

#include <set>
#include <sys/stat.h>

using namespace quillstone;
using quillstone::testing::FakeRunningApplications;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;
using Record = QuillstoneSetupSession::Record;

namespace {

constexpr const char* setupId = "com.quillstone.Quillstone-Setup";

class SessionTest : public quillstone::testing::SetupSessionTest {
protected:

    void runningWizard(pid_t pid, const std::string& bundleIdentifier = setupId) {
        liveProcesses.insert(pid);
        applications.running.push_back({pid, bundleIdentifier, "/Applications/Quillstone.app"});
    }
    bool fileExists() const { return std::filesystem::exists(session.fileURL()); }
};

} // namespace

TEST_F(SessionTest, WritesCompactJsonWithOnlyThePresentKey) {
    EXPECT_EQ(session.fileURL(), home.path() / ".local/share/Quillstone/setup-session.json");
    session.writeRecord({.processIdentifier = 1234, .launchRequestedAt = {}});
    EXPECT_EQ(readText(session.fileURL()), R"({"processIdentifier":1234})");

    session.writeRecord({.processIdentifier = {}, .launchRequestedAt = 786000000.25});
    EXPECT_EQ(readText(session.fileURL()), R"({"launchRequestedAt":786000000.25})");
    EXPECT_EQ(session.readRecord(), (Record{{}, 786000000.25}));
}

TEST_F(SessionTest, ReadsOnlyWellFormedRecords) {
    EXPECT_EQ(session.readRecord(), std::nullopt) << "missing file";
    struct Case {
        const char* json;
        std::optional<Record> expected;
    } cases[] = {
        {R"({"processIdentifier":-7})", Record{-7, {}}},
        {R"({"launchRequestedAt":12,"other":true})", Record{{}, 12.0}},
        {R"({"processIdentifier":1,"launchRequestedAt":2.5})", Record{1, 2.5}},
        {R"({})", Record{}},
        {R"({"processIdentifier":5.5})", std::nullopt},
        {R"({"processIdentifier":"12"})", std::nullopt},
        {R"({"processIdentifier":2147483648})", std::nullopt},
        {R"({"processIdentifier":-2147483649})", std::nullopt},
        {R"({"launchRequestedAt":"now"})", std::nullopt},
        {R"([1])", std::nullopt},
        {R"({"processIdentifier":1)", std::nullopt},
        {"", std::nullopt},
    };
    for (const auto& item : cases) {
        writeText(session.fileURL(), item.json);
        EXPECT_EQ(session.readRecord(), item.expected) << item.json;
    }
}

TEST_F(SessionTest, FailuresAreSwallowed) {
    // The support folder cannot be created: a file stands where it should be.
    writeText(home.path() / ".local/share/Quillstone", "not a folder");
    EXPECT_NO_THROW(session.writeRecord({.processIdentifier = 1, .launchRequestedAt = {}}));
    EXPECT_EQ(session.readRecord(), std::nullopt);
    EXPECT_FALSE(session.activateRunningSetup());
    EXPECT_NO_THROW(session.clearOwnRecord());
}

TEST_F(SessionTest, ALiveWizardIsAskedForwardAndKeepsItsRecordEvenWhenItDoesNotCome) {
    runningWizard(777);
    session.writeRecord({.processIdentifier = 777, .launchRequestedAt = {}});
    std::string before = readText(session.fileURL());
    applications.activationWorks = false;
    EXPECT_FALSE(session.activateRunningSetup());
    EXPECT_EQ(applications.activated, std::vector<pid_t>{777});
    EXPECT_EQ(readText(session.fileURL()), before);
}

TEST_F(SessionTest, ADeadOrForeignProcessLosesItsRecord) {
    // 777 does not exist; 778 now belongs to some other program, never to be activated; 779 is alive but
    // unknown to the system as an application.
    runningWizard(778, "org.example.Other");
    liveProcesses.insert(779);
    for (pid_t pid : {777, 778, 779}) {
        session.writeRecord({.processIdentifier = pid, .launchRequestedAt = {}});
        EXPECT_FALSE(session.activateRunningSetup()) << pid;
        EXPECT_FALSE(fileExists()) << pid;
    }
    EXPECT_TRUE(applications.activated.empty());
}

TEST_F(SessionTest, ClearsOnlyItsOwnRecord) {
    for (Record other : {Record{{}, 5.0}, Record{ownPid + 9, {}}}) { // a pending launch, another wizard
        session.writeRecord(other);
        session.clearOwnRecord();
        EXPECT_EQ(session.readRecord(), other);
    }

    session.writeRecord({.processIdentifier = ownPid, .launchRequestedAt = {}});
    session.clearOwnRecord();
    EXPECT_FALSE(fileExists());
    EXPECT_NO_THROW(session.clearOwnRecord());
}

TEST(SetupSessionProbeTest, ProcessGroupIdsNeverCountAsAProcess) {
    EXPECT_TRUE(QuillstoneSetupSession::signalZeroProbe(::getpid()));
    EXPECT_FALSE(QuillstoneSetupSession::signalZeroProbe(0));
    EXPECT_FALSE(QuillstoneSetupSession::signalZeroProbe(-1));
    EXPECT_TRUE(QuillstoneSetupSession::signalZeroProbe(1)) << "init exists even when not ours to signal";
}
