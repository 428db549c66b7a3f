#include "platform/ChildProcess.h"
#include "setup/monitor/SD4ShortcutResolver.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <sys/stat.h>

using namespace quillstone;
using quillstone::testing::readText;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace {

const std::filesystem::path contents = std::filesystem::path(QUILLSTONE_APP_DIR) / "Contents";
const std::filesystem::path shortcutsTool = contents / "Helpers/shortcuts";
const std::filesystem::path detailsShortcut = contents / "Resources/Quillstone SuperDuper Details.shortcut";

struct Result {
    int status = -1;
    std::string output;
    std::string error;
};

Result runTool(const std::filesystem::path& executable, const std::vector<std::string>& arguments) {
    ChildProcess child(executable, arguments);
    child.setStandardInput(ChildProcess::Stream::null);
    TemporaryFolder scratch;
    // Output to a file and error through the pipe, so neither can stall the other.
    FILE* output = std::fopen((scratch / "out").c_str(), "w+");
    child.setStandardOutput(ChildProcess::Stream::descriptor, fileno(output));
    child.setStandardError(ChildProcess::Stream::pipe);
    child.launch();
    Result result;
    result.error = child.readStandardErrorToEnd();
    child.waitUntilExit();
    std::fclose(output);
    result.output = readText(scratch / "out");
    result.status = child.terminationReason() == ChildProcess::TerminationReason::exit ? child.terminationStatus()
                                                                                      : 128 + child.terminationStatus();
    return result;
}

// Every child sees this home and data folder.
class ShortcutChainTest : public ::testing::Test {
protected:
    ShortcutChainTest() : previousHome(save("HOME")), previousData(save("XDG_DATA_HOME")) {
        ::setenv("HOME", home.path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    }
    ~ShortcutChainTest() override {
        restore("HOME", previousHome);
        restore("XDG_DATA_HOME", previousData);
    }

    static std::optional<std::string> save(const char* name) {
        const char* value = std::getenv(name);
        return value ? std::optional<std::string>(value) : std::nullopt;
    }
    static void restore(const char* name, const std::optional<std::string>& value) {
        value ? ::setenv(name, value->c_str(), 1) : ::unsetenv(name);
    }

    void installShortcut(const std::string& name, const std::string& script) {
        writeText(home / "data/shortcuts" / name, script);
        ::chmod((home / "data/shortcuts" / name).c_str(), 0755);
    }

    TemporaryFolder home;
    std::optional<std::string> previousHome, previousData;
};

} // namespace

TEST_F(ShortcutChainTest, ShortcutsToolListsRunsAndInstalls) {
    Result empty = runTool(shortcutsTool, {"list"});
    EXPECT_EQ(empty.status, 0);
    EXPECT_EQ(empty.output, "");

    installShortcut("Echo", "#!/bin/sh\nprintf '%s|' \"$@\"\necho 'complaint' >&2\nexit 7\n");
    Result run = runTool(shortcutsTool, {"run", "Echo", "--input-path", "/in put", "--output-path", "/out",
                                         "--output-type", "public.json"});
    EXPECT_EQ(run.status, 7);
    EXPECT_EQ(run.output, "--input-path|/in put|--output-path|/out|");
    EXPECT_EQ(run.error, "complaint\n");

    Result missing = runTool(shortcutsTool, {"run", "Quillstone SuperDuper Details", "--input-path", "/in"});
    EXPECT_NE(missing.status, 0);
    EXPECT_NE(missing.error.find("Quillstone SuperDuper Details"), std::string::npos);

    Result install = runTool(shortcutsTool, {"install", detailsShortcut.string()});
    EXPECT_EQ(install.status, 0) << install.error;
    EXPECT_EQ(runTool(shortcutsTool, {"list"}).output, "Echo\nQuillstone SuperDuper Details\n");
}

TEST_F(ShortcutChainTest, TheLinuxShortcutAnswersTheResolverFromARecordedRun) {
    ASSERT_EQ(runTool(shortcutsTool, {"install", detailsShortcut.string()}).status, 0);
    Result recorded = runTool(QUILLSTONE_SUPERDUPER4_STANDIN,
                              {"--record-only", "--job-id", "JOB-1", "--run-id", "RUN-7", "--outcome", "wrong_drive",
                               "--job-name", "Nightly", "--source", "Macintosh HD", "--destination", "Backup",
                               "--bytes-copied", "12.5 GB", "--items-copied", "1,234 items", "--started-at",
                               " 17:00 ", "--deferred-count", "none"});
    ASSERT_EQ(recorded.status, 0) << recorded.error;
    EXPECT_EQ(recorded.output, "RUN-7\n");

    std::filesystem::create_directories(home / "Helpers");
    std::filesystem::copy_file(std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures/asuser-launchctl",
                               home / "Helpers/launchctl");
    std::filesystem::create_symlink(shortcutsTool, home / "Helpers/shortcuts");
    SystemTools tools = SystemTools::macOS();
    tools.launchctl = home / "Helpers/launchctl";
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    SD4ShortcutResolver resolver(files, tools);

    SD4RunEvent event;
    event.copyJobID = "JOB-1";
    event.runID = "RUN-7";
    event.outcome = SD4RunOutcome::wrongDrive;
    SD4ResolvedRun run = resolver.resolve(event);
    EXPECT_EQ(run.jobName, "Nightly");
    EXPECT_EQ(run.outcome, SD4RunOutcome::wrongDrive);
    EXPECT_EQ(run.destination, "Backup");
    EXPECT_EQ(run.bytesCopied, 125);
    EXPECT_EQ(run.itemsCopied, 1234);
    EXPECT_EQ(run.startedAtDisplay, "17:00");
    EXPECT_EQ(run.deferredCount, std::nullopt);

    event.runID = "RUN-8";
    try {
        resolver.resolve(event);
        FAIL() << "an unrecorded run resolved";
    } catch (const SD4ShortcutResolverError& error) {
        EXPECT_STREQ(error.what(),
                     "The Quillstone Shortcut failed: No SuperDuper! run has been recorded with the identifier RUN-8");
    }
}

TEST_F(ShortcutChainTest, TheStandInPostsTheRunFinishedSignalOnTheSessionBus) {
    if (std::system("command -v dbus-run-session >/dev/null 2>&1 && command -v dbus-monitor >/dev/null 2>&1") != 0) {
        GTEST_SKIP() << "no D-Bus tools on this machine";
    }
    std::string script =
        "dbus-monitor --session \"type='signal',interface='com.shirtpocket.SuperDuper'\" > \"$1\" 2>/dev/null &\n"
        "monitor=$!\n"
        "for i in $(seq 100); do grep -q NameLost \"$1\" && break; sleep 0.05; done\n"
        "\"$2\" --raw --job-id JOB-1 --run-id RUN-1 --catchup --ended-at-nanos 1717171717000000000 || exit 1\n"
        "for i in $(seq 100); do grep -q ended_at \"$1\" && break; sleep 0.05; done\n"
        "sleep 0.2; kill $monitor\n";
    writeText(home / "post.sh", script);
    Result posted = runTool("/usr/bin/dbus-run-session", {"--", "/bin/sh", (home / "post.sh").string(),
                                                         (home / "monitor.txt").string(),
                                                         QUILLSTONE_SUPERDUPER4_STANDIN});
    ASSERT_EQ(posted.status, 0) << posted.error;
    std::string seen = readText(home / "monitor.txt");
    std::string flat;
    for (char c : seen) {
        if (c != ' ' && c != '\n') {
            flat.push_back(c);
        }
    }
    EXPECT_NE(flat.find("path=/;interface=com.shirtpocket.SuperDuper;member=runFinished"), std::string::npos) << seen;
    for (const char* entry : {"string\"version\"variantint321", "string\"copy_job_id\"variantstring\"JOB-1\"",
                              "string\"run_id\"variantstring\"RUN-1\"", "string\"outcome\"variantstring\"succeeded\"",
                              "string\"is_catchup\"variantbooleantrue",
                              "string\"ended_at_unix_nanos\"variantint641717171717000000000"}) {
        EXPECT_NE(flat.find(entry), std::string::npos) << entry << "\n" << seen;
    }
}
