// The real monitor process, started from a throwaway bundle whose launchctl is a
// recording fake, on a private session bus, driven by signals sent with gdbus.
#include "platform/ChildProcess.h"
#include "platform/FileManager.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "support/PrivateSessionBus.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <chrono>
#include <csignal>
#include <functional>
#include <regex>
#include <sstream>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::PrivateSessionBus;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::waitFor;
using quillstone::testing::writeText;

namespace fs = std::filesystem;

namespace {

const fs::path builtBundle = QUILLSTONE_APP_DIR;
const fs::path fixtures = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

struct Payload {
    std::string jobID = "JOB-1";
    std::string runID = "RUN-1";
    std::string outcome = "succeeded";
    bool catchup = false;
    int64_t endedAtNanos = 1717171717000000000;

    // GVariant text of the a{sv} user info.
    std::string text() const {
        return "{'version': <1>, 'copy_job_id': <'" + jobID + "'>, 'run_id': <'" + runID + "'>, 'outcome': <'" +
               outcome + "'>, 'is_catchup': <" + (catchup ? "true" : "false") +
               ">, 'ended_at_unix_nanos': <int64 " + std::to_string(endedAtNanos) + ">}";
    }
};

class SD4MonitorProcessTest : public ::testing::Test {
protected:
    TemporaryFolder home;
    PrivateSessionBus bus;
    PosixFileManager files{UserDomain::rootedAt(home.path())};
    fs::path bundle = home.path() / "Applications/Quillstone.app";
    fs::path helpers = bundle / "Contents/Helpers";
    fs::path support = home.path() / ".local/share/Quillstone";
    fs::path statusFolder = home.path() / "Dropbox/Quillstone";
    std::unique_ptr<ChildProcess> monitor;

    SD4MonitorProcessTest() {
        fs::create_directories(bundle / "Contents/MacOS");
        fs::create_directories(helpers);
        fs::create_directories(home.path() / "tmp");
        fs::copy_file(builtBundle / "Contents/Info.plist", bundle / "Contents/Info.plist");
        fs::copy_file(builtBundle / "Contents/MacOS/quillstone-setup", bundle / "Contents/MacOS/quillstone-setup");
        fs::copy_file(fixtures / "monitor-launchctl", helpers / "launchctl");
        configure("sd4");
    }

    ~SD4MonitorProcessTest() override { stopMonitor(SIGKILL); }

    void configure(const std::string& integration) {
        QuillstoneConfigurationStore store(files);
        store.save(QuillstoneConfiguration{1, *integrationFromRawValue(integration), statusFolder.string()});
    }

    void startMonitor() {
        monitor = std::make_unique<ChildProcess>(
            "/usr/bin/env",
            std::vector<std::string>{"HOME=" + home.path().string(),
                                     "XDG_DATA_HOME=" + (home.path() / ".local/share").string(),
                                     "TMPDIR=" + (home.path() / "tmp").string(), "LANG=C.UTF-8",
                                     (bundle / "Contents/MacOS/quillstone-setup").string(), "--quillstone-sd4-monitor"});
        monitor->setStandardInput(ChildProcess::Stream::null);
        monitor->launch();
    }

    void startListeningMonitor() {
        startMonitor();
        ASSERT_TRUE(waitFor([&] { return countLines("distributed notification observer registered") == restarts + 1; }))
            << log();
        ++restarts;
    }

    void stopMonitor(int signal) {
        if (monitor && monitor->isRunning()) {
            ::kill(monitor->processIdentifier(), signal);
            monitor->waitUntilExit();
        }
    }

    void emit(const std::string& arguments) {
        std::vector<std::string> command{"emit", "--session", "--object-path", "/", "--signal",
                                         "com.shirtpocket.SuperDuper.runFinished"};
        if (!arguments.empty()) {
            command.push_back(arguments);
        }
        ChildProcess gdbus("/usr/bin/gdbus", command);
        gdbus.launch();
        gdbus.waitUntilExit();
        ASSERT_EQ(gdbus.terminationStatus(), 0);
    }

    std::string log() const { return readText(support / "sd4-monitor.log"); }

    // The log's messages without their time stamps, which must all be well formed.
    std::vector<std::string> messages() const {
        static const std::regex line(R"(^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ \| (.*)$)");
        std::vector<std::string> result;
        std::istringstream stream(log());
        for (std::string text; std::getline(stream, text);) {
            std::smatch match;
            EXPECT_TRUE(std::regex_match(text, match, line)) << text;
            result.push_back(match.size() > 1 ? match[1].str() : text);
        }
        return result;
    }

    int countLines(const std::string& message) const {
        auto all = messages();
        return static_cast<int>(std::count(all.begin(), all.end(), message));
    }

    std::vector<std::string> shortcutCalls() const {
        std::vector<std::string> calls;
        std::istringstream stream(readText(helpers / "calls.log"));
        for (std::string call; std::getline(stream, call);) {
            calls.push_back(call);
        }
        return calls;
    }

    std::string statusDocument() const { return readText(statusFolder / "backup_status.json"); }

    int restarts = 0;
};

const char* const acceptedDiagnostic = "notification received keys=copy_job_id,ended_at_unix_nanos,is_catchup,outcome,"
                                       "run_id,version version=1 outcome=succeeded jobID=true runID=true endedAt=true";

} // namespace

TEST_F(SD4MonitorProcessTest, ARunBecomesAnExactStatusEntryWithTheExactLogLines) {
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();

    EXPECT_EQ(messages(), (std::vector<std::string>{"monitor runtime started",
                                                    "distributed notification observer registered",
                                                    acceptedDiagnostic,
                                                    "notification accepted job=JOB-1 run=RUN-1 outcome=succeeded",
                                                    "run queued: RUN-1", "running detail Shortcut for: RUN-1",
                                                    "status written for: RUN-1"}));

    auto calls = shortcutCalls();
    ASSERT_EQ(calls.size(), 1u);
    std::regex expected("asuser\\|" + std::to_string(::getuid()) +
                        "\\|/usr/bin/shortcuts\\|run\\|Quillstone SuperDuper Details\\|--input-path\\|" +
                        (home.path() / "tmp").string() + "/Quillstone-SD4-[0-9A-F-]{36}/input\\.json\\|--output-path\\|" +
                        (home.path() / "tmp").string() +
                        "/Quillstone-SD4-[0-9A-F-]{36}/output\\.json\\|--output-type\\|public\\.json");
    EXPECT_TRUE(std::regex_match(calls[0], expected)) << calls[0];
    EXPECT_TRUE(fs::is_empty(home.path() / "tmp")) << "the work folder must be gone";

    const std::string exact = "{\n"
                              "  \"backups\" : [\n"
                              "    {\n"
                              "      \"completedAt\" : \"2024-05-31T16:08:37Z\",\n"
                              "      \"copyScript\" : \"SuperDuper! 4\",\n"
                              "      \"destination\" : \"Backup Disk\",\n"
                              "      \"destinationPath\" : \"\",\n"
                              "      \"freeSpace\" : \"\",\n"
                              "      \"id\" : \"JOB-1\",\n"
                              "      \"isCatchup\" : false,\n"
                              "      \"itemsCopied\" : 1234,\n"
                              "      \"name\" : \"Job JOB-1\",\n"
                              "      \"outcome\" : \"succeeded\",\n"
                              "      \"runID\" : \"RUN-1\",\n"
                              "      \"source\" : \"Macintosh HD\",\n"
                              "      \"sourcePath\" : \"\",\n"
                              "      \"startedAtDisplay\" : \"17:00\",\n"
                              "      \"status\" : \"SUCCESS\",\n"
                              "      \"succeeded\" : true,\n"
                              "      \"summary\" : \"Copied 1,234 items.\"\n"
                              "    }\n"
                              "  ]\n"
                              "}";
    EXPECT_EQ(statusDocument(), exact);
    struct stat info {};
    ASSERT_EQ(::stat((statusFolder / "backup_status.json").c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0644u);
}

TEST_F(SD4MonitorProcessTest, RunsOfSeveralJobsAreMergedSortedAndAFailureIsMarkedFailed) {
    startListeningMonitor();
    Payload beta{"JOB-b", "RUN-b1"};
    Payload alpha{"JOB-A", "RUN-A1", "wrong_drive"};
    writeText(helpers / "outcome-RUN-A1", " Wrong-Drive ");
    emit(beta.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-b1") == 1; })) << log();
    emit(alpha.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-A1") == 1; })) << log();
    // A second run of the same job replaces its entry.
    Payload betaAgain{"JOB-b", "RUN-b2", "failed", true};
    writeText(helpers / "outcome-RUN-b2", "failed");
    emit(betaAgain.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-b2") == 1; })) << log();

    auto document = nlohmann::json::parse(statusDocument());
    ASSERT_EQ(document["backups"].size(), 2u);
    EXPECT_EQ(document["backups"][0]["name"], "Job JOB-A");
    EXPECT_EQ(document["backups"][0]["status"], "FAILED");
    EXPECT_EQ(document["backups"][0]["outcome"], "wrong_drive");
    EXPECT_EQ(document["backups"][1]["runID"], "RUN-b2");
    EXPECT_EQ(document["backups"][1]["isCatchup"], true);
    EXPECT_EQ(document["backups"][1]["succeeded"], false);

    // The same run again is recognised and skipped.
    emit(betaAgain.text());
    ASSERT_TRUE(waitFor([&] { return countLines("run already processed: RUN-b2") == 1; })) << log();
    EXPECT_EQ(shortcutCalls().size(), 3u);
}

TEST_F(SD4MonitorProcessTest, MalformedSignalsAreLoggedAndRejectedWithoutHarm) {
    startListeningMonitor();
    emit("");
    emit("{'version': <'1'>}");
    emit("{'copy_job_id': 'J', 'run_id': 'R'}"); // a{ss}
    emit(Payload{}.text() + " 'extra'");           // a second argument
    emit("{'version': <1>, 'copy_job_id': <'J'>, 'run_id': <'R'>, 'outcome': <'succeeded'>, "
         "'is_catchup': <false>, 'ended_at_unix_nanos': <nan>}");
    ASSERT_TRUE(waitFor([&] { return countLines("notification payload rejected") == 5; })) << log();
    EXPECT_EQ(countLines("notification received without userInfo"), 1);
    EXPECT_EQ(countLines("notification received keys=version version=1 outcome=missing jobID=false runID=false "
                         "endedAt=false"),
              1);
    EXPECT_TRUE(monitor->isRunning());
    EXPECT_FALSE(fs::exists(helpers / "calls.log")) << "nothing rejected may reach the Shortcut";

    // It still works afterwards.
    emit(Payload{}.text());
    EXPECT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
}

TEST_F(SD4MonitorProcessTest, TheSameRunNotifiedTwiceWhileResolvingStartsOneShortcut) {
    writeText(helpers / "behaviour", "hold");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return fs::exists(helpers / "calls.log"); })) << log();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return countLines("run queued: RUN-1") == 2; })) << log();
    auto pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    EXPECT_EQ(pending["events"].size(), 1u);

    writeText(helpers / "release", "");
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
    EXPECT_EQ(countLines("running detail Shortcut for: RUN-1"), 1);
    EXPECT_EQ(shortcutCalls().size(), 1u);
    pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    EXPECT_TRUE(pending["events"].empty());
}

TEST_F(SD4MonitorProcessTest, AFailedShortcutStaysPendingAndIsWrittenAtTheNextStart) {
    writeText(helpers / "behaviour", "fail");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] {
        return countLines("run remains pending: RUN-1, error=The Quillstone Shortcut failed: The Shortcut could not "
                          "reach SuperDuper!.") == 1;
    })) << log();
    stopMonitor(SIGTERM);
    EXPECT_FALSE(fs::exists(statusFolder / "backup_status.json"));

    fs::remove(helpers / "behaviour");
    startListeningMonitor();
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"][0]["runID"], "RUN-1");
}

TEST_F(SD4MonitorProcessTest, PendingRunsSurviveAKilledMonitor) {
    writeText(helpers / "behaviour", "hold");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return fs::exists(helpers / "calls.log"); })) << log();
    stopMonitor(SIGKILL);
    auto pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    ASSERT_EQ(pending["events"].size(), 1u);
    EXPECT_EQ(pending["events"][0]["runID"], "RUN-1");

    writeText(helpers / "behaviour", "answer");
    startListeningMonitor();
    ASSERT_TRUE(waitFor([&] { return countLines("status written for: RUN-1") == 1; })) << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"].size(), 1u);
}

TEST_F(SD4MonitorProcessTest, ALedgerThatCannotBeSavedLeavesTheRunPending) {
    // A folder where the ledger file belongs: it can be neither read nor replaced.
    fs::create_directories(support / "sd4-run-ledger.json");
    startListeningMonitor();
    emit(Payload{}.text());
    ASSERT_TRUE(waitFor([&] { return countLines("status written but ledger save failed for: RUN-1") == 1; }))
        << log();
    EXPECT_EQ(nlohmann::json::parse(statusDocument())["backups"].size(), 1u);
    auto pending = nlohmann::json::parse(readText(support / "sd4-pending-runs.json"));
    ASSERT_EQ(pending["events"].size(), 1u);
    EXPECT_EQ(pending["events"][0]["runID"], "RUN-1");
}

TEST_F(SD4MonitorProcessTest, AClassicConfigurationKeepsTheMonitorIdle) {
    configure("classic");
    startMonitor();
    ASSERT_TRUE(waitFor([&] { return countLines("monitor not started because SD4 is not selected") == 1; }));
    emit(Payload{}.text());
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(messages(), std::vector<std::string>{"monitor not started because SD4 is not selected"});
    EXPECT_TRUE(monitor->isRunning()) << "an idle monitor stays alive";
}
