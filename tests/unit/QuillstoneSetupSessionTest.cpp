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
        {R"({"processIdentifier":18446744073709551615})", std::nullopt},
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

TEST_F(SessionTest, ALiveWizardIsActivatedAndItsRecordKept) {
    runningWizard(777);
    session.writeRecord({.processIdentifier = 777, .launchRequestedAt = {}});
    std::string before = readText(session.fileURL());

    EXPECT_TRUE(session.activateRunningSetup());
    EXPECT_EQ(applications.activated, std::vector<pid_t>{777});
    EXPECT_EQ(readText(session.fileURL()), before);

    // It did not come forward: the answer says so, and the record still names it.
    applications.activationWorks = false;
    EXPECT_FALSE(session.activateRunningSetup());
    EXPECT_EQ(readText(session.fileURL()), before);
}

TEST_F(SessionTest, ADeadOrForeignProcessLosesItsRecord) {
    session.writeRecord({.processIdentifier = 777, .launchRequestedAt = {}});
    EXPECT_FALSE(session.activateRunningSetup()) << "no such process";
    EXPECT_FALSE(fileExists());

    // The id now belongs to some other program: never activate that one.
    runningWizard(778, "org.example.Other");
    session.writeRecord({.processIdentifier = 778, .launchRequestedAt = {}});
    EXPECT_FALSE(session.activateRunningSetup());
    EXPECT_TRUE(applications.activated.empty());
    EXPECT_FALSE(fileExists());

    // A live process the system does not know as an application.
    liveProcesses.insert(779);
    session.writeRecord({.processIdentifier = 779, .launchRequestedAt = {}});
    EXPECT_FALSE(session.activateRunningSetup());
    EXPECT_FALSE(fileExists());
}

TEST_F(SessionTest, ALaunchRequestAloneIsNoRunningWizard) {
    session.writeRecord({.processIdentifier = {}, .launchRequestedAt = 100.0});
    EXPECT_FALSE(session.activateRunningSetup());
    EXPECT_TRUE(fileExists()) << "the launch request must survive for the debounce";
}

TEST_F(SessionTest, ClearsOnlyItsOwnRecord) {
    session.writeRecord({.processIdentifier = ownPid + 1, .launchRequestedAt = {}});
    session.clearOwnRecord();
    EXPECT_EQ(session.readRecord(), (Record{ownPid + 1, {}}));

    session.writeRecord({.processIdentifier = {}, .launchRequestedAt = 5.0});
    session.clearOwnRecord();
    EXPECT_TRUE(fileExists());

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
