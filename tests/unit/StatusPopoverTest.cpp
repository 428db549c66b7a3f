#include "status/StatusPopover.h"
#include "platform/FileManager.h"
#include "status/StatusEnvironment.h"
#include "support/StatusFakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

const std::string oneEntry =
    R"({"backups":[{"id":"1","name":"Mac","status":"SUCCESS","completedAt":"2024-05-01T10:20:30Z"}]})";

class StatusPopoverTest : public ::testing::Test, public StatusPopoverRig {
protected:
    fs::path configurationFile = home / ".local/share/Quillstone/configuration.json";
    int changes = 0;

    static constexpr const char* manifest = "https://quillstone.app/version.json";

    std::unique_ptr<StatusPopover> make(Options options = {.manifestURL = manifest}) {
        auto popover = makePopover(std::move(options));
        popover->setObserver([this] { ++changes; });
        return popover;
    }
};

} // namespace

TEST_F(StatusPopoverTest, UnreadableConfigurationFallsBackToHomeFolderAndNoIntegrationMeansLaunchctl) {
    writeText(configurationFile, R"({"integration":"foo","quillstoneFolderPath":")" + (root / "chosen").string() + "\"}");
    writeText(root / "chosen/backup_status.json", R"({"backups":[]})");
    writeText(home / "Quillstone/backup_status.json", oneEntry);
    commands.succeeds["print"] = false;
    auto popover = make();
    EXPECT_FALSE(popover->configuration());
    ASSERT_TRUE(popover->document());
    EXPECT_EQ(popover->document()->backups.size(), 1u);
    ASSERT_EQ(commands.calls.size(), 1u);
    EXPECT_TRUE(commands.calls[0].silenced);
    EXPECT_TRUE(popover->showsRestartButton());
    EXPECT_EQ(popover->lastRefreshedAt(), clock.now());

    writeText(configurationFile, R"({"quillstoneFolderPath":")" + (root / "chosen").string() + "\"}");
    commands.succeeds["print"] = true;
    popover->refresh();
    settle();
    ASSERT_TRUE(popover->configuration());
    EXPECT_EQ(popover->monitorStatusText(), "Monitor active");
    EXPECT_FALSE(popover->showsRestartButton());
    ASSERT_TRUE(popover->document());
    EXPECT_TRUE(popover->document()->backups.empty()) << "read from the configured folder";
}

TEST_F(StatusPopoverTest, ClassicIsActiveExactlyWhenTheScriptIsExecutable) {
    fs::path folder = root / "x";
    writeText(configurationFile, R"({"integration":"classic","quillstoneFolderPath":")" + folder.string() + "\"}");
    auto popover = make();
    writeText(folder / "BackupMonitor.sh", "#!/bin/sh\n");
    fs::permissions(folder / "BackupMonitor.sh", fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(popover->isMonitorActive(popover->configuration()));
    fs::create_directories(root / "y/BackupMonitor.sh");
    EXPECT_FALSE(popover->isMonitorActive(LocalConfiguration{LocalIntegration::classic, (root / "y").string()}));
    fs::permissions(folder / "BackupMonitor.sh", fs::perms::owner_all);
    popover->refresh();
    settle();
    EXPECT_TRUE(popover->active());
    EXPECT_EQ(popover->monitorStatusText(), "Classic status ready");
    EXPECT_TRUE(commands.calls.empty());
}

TEST_F(StatusPopoverTest, RefreshesNeverOverlapAndAnOlderReadingNeverWins) {
    auto popover = make();
    EXPECT_FALSE(popover->document());
    writeText(home / "Quillstone/backup_status.json", oneEntry);
    clock.advance(seconds(5));
    for (int tick = 0; tick < 3; ++tick) {
        popover->refresh();
    }
    EXPECT_EQ(background.size(), 1u) << "one reading at a time";
    background.runNext();
    EXPECT_FALSE(popover->document()) << "nothing changes before the main queue runs";
    EXPECT_EQ(mainQueue.runAll(), 1u);
    EXPECT_TRUE(popover->document());
    EXPECT_EQ(popover->lastRefreshedAt(), clock.now());
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(background.size(), 1u) << "the waiting requests make one more reading";
    settle();
    EXPECT_EQ(background.size(), 0u);
    popover->appear();
    settle();
    EXPECT_EQ(timer.interval, milliseconds(5000));

    // A restart's reading that ends after a newer refresh does not replace it; a second restart meanwhile is
    // ignored.
    const auto calls = commands.calls.size();
    popover->restartMonitor();
    popover->restartMonitor();
    popover->refresh();
    ASSERT_EQ(background.size(), 2u);
    background.runAt(1);
    commands.succeeds["print"] = false;
    background.runAt(0);
    mainQueue.runAll();
    EXPECT_TRUE(popover->active());
    EXPECT_EQ(popover->actionMessage(), "The monitor could not be started.");
    EXPECT_EQ(commands.calls.size(), calls + 3) << "the refresh's print, one kickstart and its print";
    EXPECT_TRUE(commands.calls[calls + 1].silenced && commands.calls[calls + 2].silenced);
    // Only the refresh button clears the message, not the timer.
    timer.tick();
    settle();
    EXPECT_EQ(popover->actionMessage(), "The monitor could not be started.");
}

TEST_F(StatusPopoverTest, OnlyAppearanceRefreshButtonAndRestartCheckAndEveryFailedCheckRemovesTheOffer) {
    // A newer version counts whatever its build; the same version needs a newer build.
    http.response.body = R"({"version":"2.4","build":1,"downloadURL":"https://quillstone.app/d"})";
    const std::string newer = R"({"version":"2.3","build":41,"downloadURL":"https://quillstone.app/d"})";
    auto popover = make();
    popover->appear();
    popover->appear();
    settle();
    ASSERT_EQ(http.requests, (std::vector<std::string>{manifest}));
    ASSERT_TRUE(popover->availableUpdate());
    popover->refreshAction();
    settle();
    popover->restartMonitor();
    settle();
    EXPECT_EQ(http.requests.size(), 3u);
    for (int tick = 0; tick < 4; ++tick) {
        clock.advance(seconds(5));
        timer.tick();
        settle();
    }
    EXPECT_EQ(http.requests.size(), 3u) << "the timer does not check";

    const HttpResponse failures[] = {
        {false, 0, ""},
        {true, 404, newer},
        {true, 200, R"({"version":"2.4","build":41})"},
        {true, 200, R"({"version":"2.3","build":40,"downloadURL":"https://quillstone.app/d"})"},
    };
    for (const HttpResponse& failure : failures) {
        http.response = HttpResponse{true, 200, newer};
        popover->checkForUpdate();
        settle();
        ASSERT_TRUE(popover->availableUpdate());
        http.response = failure;
        popover->checkForUpdate();
        settle();
        EXPECT_FALSE(popover->availableUpdate()) << failure.statusCode << " " << failure.body;
        EXPECT_FALSE(popover->openAvailableUpdate());
    }
    // No address, no check.
    const auto requests = http.requests.size();
    auto unchecked = make({});
    unchecked->appear();
    settle();
    EXPECT_EQ(http.requests.size(), requests);
}

TEST_F(StatusPopoverTest, MissingBundleVersionsCompareAsZero) {
    http.response.body = R"({"version":"0.0.1","build":0,"downloadURL":"https://quillstone.app/d"})";
    auto popover = make({.manifestURL = manifest, .version = std::nullopt, .build = "+x"});
    popover->checkForUpdate();
    settle();
    EXPECT_TRUE(popover->availableUpdate());
    http.response.body = R"({"version":"0","build":1,"downloadURL":"https://quillstone.app/d"})";
    auto unversioned = make({.manifestURL = manifest, .version = std::nullopt, .build = std::nullopt});
    unversioned->checkForUpdate();
    settle();
    EXPECT_TRUE(unversioned->availableUpdate());
}

TEST_F(StatusPopoverTest, NothingComesBackToAPopoverThatIsGone) {
    auto popover = make();
    popover->appear();
    popover->refresh();
    popover.reset();
    EXPECT_FALSE(timer.running);
    settle(); // would touch freed memory under the sanitizers
}

// The program's own update address is read end to end by the status window test.
TEST_F(StatusPopoverTest, EnvironmentReadsVersionsFromItsOwnInfoPlist) {
    fs::path status = root / "Quillstone.app/Contents/Library/LoginItems/Quillstone Status.app";
    writeText(status / "Contents/Info.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
              "<key>CFBundleShortVersionString</key><string>2.3</string><key>CFBundleVersion</"
              "key><string>40</string></dict></plist>");
    StatusEnvironment environment(Bundle(status), SystemTools::forBundle(SystemTools::outermostBundle(Bundle(status))),
                                  UserDomain::rootedAt(root / "home"));
    auto collaborators = environment.collaborators(mainQueue, background, timer);
    EXPECT_EQ(collaborators.launchctl, root / "Quillstone.app/Contents/Helpers/launchctl");
    EXPECT_EQ(collaborators.currentVersion, "2.3");
    EXPECT_EQ(collaborators.currentBuild, "40");
    EXPECT_EQ(collaborators.userID, ::getuid());
    StatusEnvironment bare(Bundle(root / "nowhere.app"), SystemTools::macOS(), UserDomain::rootedAt(root / "home"));
    auto unversioned = bare.collaborators(mainQueue, background, timer);
    EXPECT_EQ(unversioned.updateManifestURL, "");
    EXPECT_EQ(unversioned.currentVersion, std::nullopt);
}
