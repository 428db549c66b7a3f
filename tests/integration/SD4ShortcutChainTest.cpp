#include "setup/monitor/SD4ShortcutResolver.h"
#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

using namespace quillstone;
using namespace quillstone::testing;

namespace {

const std::filesystem::path contents = std::filesystem::path(QUILLSTONE_APP_DIR) / "Contents";
const std::filesystem::path shortcutsTool = contents / "Helpers/shortcuts";
const std::filesystem::path detailsShortcut = contents / "Resources/Quillstone SuperDuper Details.shortcut";

// Every child sees this home and data folder.
class ShortcutChainTest : public ::testing::Test {
protected:
  ShortcutChainTest() {
      environment.set("HOME", home.path().string());
      environment.set("XDG_DATA_HOME", (home / "data").string());
  }

    TemporaryFolder home;
    ScopedEnvironment environment;
};

} // namespace

TEST_F(ShortcutChainTest, ShortcutsToolRunsAShortcutWithItsFilesAndInstalls) {
    writeText(home / "data/shortcuts/Echo", "#!/bin/sh\nprintf '%s|' \"$@\"\necho 'complaint' >&2\nexit 7\n");
    ::chmod((home / "data/shortcuts/Echo").c_str(), 0755);
    ProgramRun run = ProgramRun::of(shortcutsTool, {"run", "Echo", "--input-path", "/in put", "--output-path",
                                                    "/out", "--output-type", "public.json"});
    EXPECT_EQ(run.status, 7);
    EXPECT_EQ(run.output, "--input-path|/in put|--output-path|/out|");
    EXPECT_EQ(run.errors, "complaint\n");

    ProgramRun install = ProgramRun::of(shortcutsTool, {"install", detailsShortcut.string()});
    EXPECT_EQ(install.status, 0) << install.errors;
    EXPECT_EQ(ProgramRun::of(shortcutsTool, {"list"}).output, "Echo\nQuillstone SuperDuper Details\n");
}

TEST_F(ShortcutChainTest, TheLinuxShortcutAnswersTheResolverFromARecordedRun) {
    ASSERT_EQ(ProgramRun::of(shortcutsTool, {"install", detailsShortcut.string()}).status, 0);
    ProgramRun recorded = ProgramRun::of(
        QUILLSTONE_SUPERDUPER4_STANDIN,
        {"--record-only", "--job-id",         "JOB-1",   "--run-id",       "RUN-7",        "--outcome",
         "wrong_drive",   "--job-name",       "Nightly", "--source",       "Macintosh HD", "--destination",
         "Backup",        "--bytes-copied",   "12.5 GB", "--items-copied", "1,234 items",  "--started-at",
         " 17:00 ",       "--deferred-count", "none"});
    ASSERT_EQ(recorded.status, 0) << recorded.errors;
    EXPECT_EQ(recorded.output, "RUN-7\n");

    std::filesystem::create_directories(home / "Helpers");
    std::filesystem::copy_file(std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures/asuser-launchctl",
                               home / "Helpers/launchctl");
    std::filesystem::create_symlink(shortcutsTool, home / "Helpers/shortcuts");
    SystemTools tools = SystemTools::macOS();
    tools.launchctl = home / "Helpers/launchctl";
    PosixFileManager files(UserDomain::rootedAt(home.path()));
    SD4ShortcutResolver resolver(files, tools);

    SD4RunEvent event{1, "JOB-1", "RUN-7", SD4RunOutcome::wrongDrive, false, 1};
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
    ProgramRun posted = ProgramRun::of("/usr/bin/dbus-run-session",
                                       {"--", "/bin/sh", (home / "post.sh").string(),
                                        (home / "monitor.txt").string(), QUILLSTONE_SUPERDUPER4_STANDIN});
    ASSERT_EQ(posted.status, 0) << posted.errors;
    std::string seen = readText(home / "monitor.txt");
    std::string flat = seen;
    std::erase_if(flat, [](char c) { return c == ' ' || c == '\n'; });
    EXPECT_NE(flat.find("path=/;interface=com.shirtpocket.SuperDuper;member=runFinished"), std::string::npos) << seen;
    for (const char* entry : {"string\"version\"variantint321", "string\"copy_job_id\"variantstring\"JOB-1\"",
                              "string\"run_id\"variantstring\"RUN-1\"", "string\"outcome\"variantstring\"succeeded\"",
                              "string\"is_catchup\"variantbooleantrue",
                              "string\"ended_at_unix_nanos\"variantint641717171717000000000"}) {
        EXPECT_NE(flat.find(entry), std::string::npos) << entry << "\n" << seen;
    }
}
