#include "platform/ChildProcessCommandRunner.h"
#include "support/ScopedEnvironment.h"
#include "support/StatusFakes.h"

#include <gtest/gtest.h>

#include <utility>

#include <memory>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

const fs::path fixtures = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

// The panel's state against real child processes: the recording launchctl stand-in.
class StatusPopoverProcessTest : public ::testing::Test, public StatusPopoverRig {
protected:
    fs::path log = root / "launchctl.log";
    ScopedEnvironment environment;

    void SetUp() override { environment.set("QUILLSTONE_FAKE_LAUNCHCTL_LOG", log.string()); }

    std::unique_ptr<StatusPopover> make(const fs::path& launchctl, std::string manifestURL = "") {
        return makePopover({.manifestURL = std::move(manifestURL),
                            .commands = &ChildProcessCommandRunner::shared(),
                            .launchctl = launchctl});
    }
};

} // namespace

TEST_F(StatusPopoverProcessTest, RestartReportsWhatTheRefreshedAgentSays) {
    const std::pair<const char*, const char*> cases[] = {
        {"kickstart", "The monitor was restarted."}, // its exit status is not what counts
        {"print", "The monitor could not be started."},
    };
    for (const auto& [failing, message] : cases) {
        environment.set("QUILLSTONE_FAKE_LAUNCHCTL_FAIL", failing);
        fs::remove(log);
        auto popover = make(fixtures / "fake-launchctl");
        clock.advance(seconds(7));
        popover->restartMonitor();
        settle();
        EXPECT_EQ(popover->actionMessage(), message) << failing;
        EXPECT_EQ(popover->lastRefreshedAt(), clock.now());
        EXPECT_EQ(readText(log), "print gui/501/com.quillstone.monitor\n"
                                 "kickstart -k gui/501/com.quillstone.monitor\n"
                                 "print gui/501/com.quillstone.monitor\n");
    }
}

TEST_F(StatusPopoverProcessTest, RestartThatCannotStartChangesNothingElse) {
    writeText(root / "home/Quillstone/backup_status.json", R"({"backups":[]})");
    auto popover = make(root / "missing/launchctl", "https://quillstone.app/version.json");
    TimePoint created = popover->lastRefreshedAt();
    EXPECT_FALSE(popover->active()) << "a launchctl that cannot start is a stopped monitor";
    writeText(root / "home/Quillstone/backup_status.json", "changed meanwhile");
    clock.advance(seconds(7));
    popover->restartMonitor();
    settle();
    EXPECT_EQ(popover->actionMessage(), "Restart failed.");
    EXPECT_EQ(popover->lastRefreshedAt(), created);
    EXPECT_TRUE(popover->document());
    EXPECT_TRUE(http.requests.empty());
}
