#include "setup/monitor/SD4ShortcutResolver.h"
#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>


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

// Installed and run by the real shortcuts tool, as the resolver runs it through launchctl.
TEST_F(ShortcutChainTest, TheLinuxShortcutAnswersTheResolverFromARecordedRun) {
    ProgramRun install = ProgramRun::of(shortcutsTool, {"install", detailsShortcut.string()});
    ASSERT_EQ(install.status, 0) << install.errors;
    EXPECT_EQ(ProgramRun::of(shortcutsTool, {"list"}).output, "Quillstone SuperDuper Details\n");
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
