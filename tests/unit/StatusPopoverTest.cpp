#include "status/StatusPopover.h"
#include "platform/FileManager.h"
#include "platform/qt/QtHttpClient.h"
#include "status/StatusEnvironment.h"
#include "support/CoreApplicationScope.h"
#include "support/LocalHttpServer.h"
#include "support/ManualBackgroundQueue.h"
#include "support/ManualMainQueue.h"
#include "support/StatusFakes.h"
#include "support/TemporaryFolder.h"
#include "support/UpgradeFixtures.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <unistd.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono;
namespace fs = std::filesystem;

namespace {

const std::string service = "gui/501/com.quillstone.monitor";
const std::string oneEntry =
    R"({"backups":[{"id":"1","name":"Mac","status":"SUCCESS","completedAt":"2024-05-01T10:20:30Z"}]})";

class StatusPopoverTest : public ::testing::Test {
protected:
    TemporaryFolder root;
    fs::path home = root / "home";
    fs::path configurationFile = home / ".local/share/Quillstone/configuration.json";
    PosixFileManager files{UserDomain::rootedAt(home)};
    ScriptedCommandRunner commands;
    CannedHttpClient http;
    ScriptedWorkspace workspace;
    ManualClock clock{TimePoint(sys_days(2024y / May / 1).time_since_epoch() + hours(11))};
    ManualMainQueue mainQueue;
    ManualBackgroundQueue background;
    ManualRefreshTimer timer;
    int changes = 0;

    std::unique_ptr<StatusPopover> make(std::string manifestURL = "https://quillstone.app/version.json",
                                        std::optional<std::string> version = "2.3",
                                        std::optional<std::string> build = "40", HttpClient* client = nullptr) {
        auto popover = std::make_unique<StatusPopover>(StatusPopover::Collaborators{
            files, commands, "/Helpers/launchctl", 501, client ? *client : http, workspace, clock, mainQueue,
            background, timer,
            std::move(manifestURL), std::move(version), std::move(build)});
        popover->setObserver([this] { ++changes; });
        return popover;
    }
    // Background work first, then what it handed back, until nothing is left.
    void settle() {
        while (background.runNext() || mainQueue.runNext()) {
        }
    }
};

} // namespace

TEST_F(StatusPopoverTest, UnreadableConfigurationFallsBackToHomeFolderAndLaunchctl) {
    writeText(configurationFile, R"({"integration":"foo","quillstoneFolderPath":")" + (root / "chosen").string() + "\"}");
    writeText(root / "chosen/backup_status.json", R"({"backups":[]})");
    writeText(home / "Quillstone/backup_status.json", oneEntry);
    commands.succeeds["print"] = false;
    auto popover = make();
    EXPECT_FALSE(popover->configuration());
    ASSERT_TRUE(popover->document());
    EXPECT_EQ(popover->document()->backups.size(), 1u);
    ASSERT_EQ(commands.calls.size(), 1u);
    EXPECT_EQ(commands.calls[0].tool, "/Helpers/launchctl");
    EXPECT_EQ(commands.calls[0].arguments, (std::vector<std::string>{"print", service}));
    EXPECT_TRUE(commands.calls[0].silenced);
    EXPECT_EQ(popover->monitorStatusText(), "Monitor stopped");
    EXPECT_TRUE(popover->showsRestartButton());
    EXPECT_EQ(popover->lastRefreshedAt(), clock.now());
}

TEST_F(StatusPopoverTest, ConfigurationWithoutIntegrationUsesLaunchctlAndItsFolder) {
    writeText(configurationFile, R"({"quillstoneFolderPath":")" + (root / "chosen").string() + "\"}");
    writeText(root / "chosen/backup_status.json", oneEntry);
    auto popover = make();
    ASSERT_TRUE(popover->configuration());
    EXPECT_TRUE(popover->active());
    EXPECT_EQ(popover->monitorStatusText(), "Monitor active");
    EXPECT_FALSE(popover->showsRestartButton());
    EXPECT_TRUE(popover->document());
    // A launchctl that cannot start counts as a stopped monitor.
    commands.launchable = false;
    EXPECT_FALSE(popover->isMonitorActive(popover->configuration()));
}

TEST_F(StatusPopoverTest, ClassicIsActiveExactlyWhenTheScriptIsExecutable) {
    fs::path folder = root / "x";
    writeText(configurationFile, R"({"integration":"classic","quillstoneFolderPath":")" + folder.string() + "\"}");
    auto popover = make();
    EXPECT_FALSE(popover->active());
    EXPECT_EQ(popover->monitorStatusText(), "Classic setup incomplete");
    EXPECT_FALSE(popover->showsRestartButton());
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

    // A restart's reading that ends after a newer refresh does not replace it.
    popover->restartMonitor();
    popover->refresh();
    background.runAt(1);
    commands.succeeds["print"] = false;
    background.runAt(0);
    mainQueue.runAll();
    EXPECT_TRUE(popover->active());
    EXPECT_EQ(popover->actionMessage(), "The monitor could not be started.");
}

TEST_F(StatusPopoverTest, RestartMessageSurvivesTimerTicksUntilTheRefreshButton) {
    auto popover = make("");
    popover->appear();
    EXPECT_EQ(timer.interval, milliseconds(5000));
    commands.succeeds["print"] = false;
    popover->restartMonitor();
    popover->restartMonitor(); // ignored while the first one runs
    EXPECT_TRUE(popover->isRestarting());
    settle();
    EXPECT_FALSE(popover->isRestarting());
    EXPECT_EQ(commands.calls.size(), 3u); // initial print, one kickstart, its print
    EXPECT_EQ(commands.calls[1].arguments, (std::vector<std::string>{"kickstart", "-k", service}));
    EXPECT_TRUE(commands.calls[1].silenced);
    EXPECT_EQ(popover->actionMessage(), "The monitor could not be started.");
    commands.succeeds["print"] = true;
    timer.tick();
    settle();
    EXPECT_TRUE(popover->active());
    EXPECT_EQ(popover->actionMessage(), "The monitor could not be started.");
    popover->refreshAction();
    EXPECT_EQ(popover->actionMessage(), "");
}

TEST_F(StatusPopoverTest, OnlyAppearanceRefreshButtonAndRestartCheckForUpdates) {
    http.response.body = R"({"version":"2.4","build":1,"downloadURL":"https://quillstone.app/d"})";
    auto popover = make();
    popover->appear();
    popover->appear();
    settle();
    ASSERT_EQ(http.requests, (std::vector<std::string>{"https://quillstone.app/version.json"}));
    ASSERT_TRUE(popover->availableUpdate());
    popover->refreshAction();
    settle();
    popover->restartMonitor();
    settle();
    EXPECT_EQ(http.requests.size(), 3u);
    commands.launchable = false;
    popover->restartMonitor();
    settle();
    EXPECT_EQ(popover->actionMessage(), "Restart failed.");
    EXPECT_EQ(http.requests.size(), 3u);
    // A failed transfer removes the offer too.
    ASSERT_TRUE(popover->availableUpdate());
    http.response = HttpResponse{};
    popover->refreshAction();
    settle();
    EXPECT_FALSE(popover->availableUpdate());
    // No address, no check.
    auto unchecked = make("");
    unchecked->appear();
    settle();
    EXPECT_EQ(http.requests.size(), 4u);
}

TEST_F(StatusPopoverTest, MissingBundleVersionsCompareAsZero) {
    http.response.body = R"({"version":"0.0.1","build":0,"downloadURL":"https://quillstone.app/d"})";
    auto popover = make("https://quillstone.app/version.json", std::nullopt, "+x");
    popover->checkForUpdate();
    settle();
    EXPECT_TRUE(popover->availableUpdate());
    http.response.body = R"({"version":"0","build":1,"downloadURL":"https://quillstone.app/d"})";
    auto unversioned = make("https://quillstone.app/version.json", std::nullopt, std::nullopt);
    unversioned->checkForUpdate();
    settle();
    EXPECT_TRUE(unversioned->availableUpdate());
    EXPECT_TRUE(unversioned->openAvailableUpdate());
    EXPECT_EQ(workspace.opened, (std::vector<std::string>{"https://quillstone.app/d"}));
}

TEST_F(StatusPopoverTest, EveryFailedCheckAgainstTheServerRemovesAnEarlierOffer) {
    CoreApplicationScope application;
    LocalHttpServer server;
    QtHttpClient client;
    const std::string newer = R"({"version":"2.3","build":41,"downloadURL":"https://quillstone.app/d"})";
    auto popover = make(server.url("/version.json"), "2.3", "40", &client);
    struct Case {
        int status;
        std::string body;
        bool offered;
    };
    const Case cases[] = {
        {200, newer, true},
        {404, newer, false},
        {200, R"({"version":"2.4","build":41})", false},
        {200, R"({"version":"2.4","build":"41","downloadURL":"https://quillstone.app/d"})", false},
        {200, R"({"version":"2.3","build":40,"downloadURL":"https://quillstone.app/d"})", false},
    };
    for (const auto& c : cases) {
        server.answer("/version.json", 200, newer);
        popover->checkForUpdate();
        settle();
        ASSERT_TRUE(popover->availableUpdate());
        server.answer("/version.json", c.status, c.body);
        popover->checkForUpdate();
        settle();
        EXPECT_EQ(popover->availableUpdate().has_value(), c.offered) << c.status << " " << c.body;
    }
    int requests = server.requestCount();
    popover->appear();
    settle();
    for (int second = 5; second <= 20; second += 5) {
        clock.advance(seconds(5));
        timer.tick();
        settle();
    }
    EXPECT_EQ(server.requestCount(), requests + 1); // only the appearance asked
}

TEST_F(StatusPopoverTest, RowsCarryWhatTheirRowShows) {
    writeText(home / "Quillstone/backup_status.json", R"({"backups":[
        {"id":"a","name":"Mac","status":"SUCCESS","completedAt":"2024-05-01T10:20:30Z","freeSpace":"1.8Ti"},
        {"id":"b","name":"Docs","status":"success","completedAt":"yesterday","freeSpace":""}]})");
    auto popover = make();
    EXPECT_EQ(popover->rows(),
              (std::vector<StatusRow>{{"a", "Mac", true, "Succeeded", "39m", "1.8Ti"},
                                      {"b", "Docs", false, "Attention needed", "yesterday", std::nullopt}}));
    EXPECT_FALSE(popover->openAvailableUpdate());
}

TEST_F(StatusPopoverTest, NothingComesBackToAPopoverThatIsGone) {
    auto popover = make();
    popover->appear();
    popover->refresh();
    popover.reset();
    EXPECT_FALSE(timer.running);
    settle(); // would touch freed memory under the sanitizers
}

TEST(StatusEnvironment, ReadsVersionsAndTheManifestAddressFromItsOwnInfoPlist) {
    TemporaryFolder root;
    fs::path status = root / "Quillstone.app/Contents/Library/LoginItems/Quillstone Status.app";
    writeText(status / "Contents/Info.plist",
              "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
              "<key>CFBundleShortVersionString</key><string>2.3</string><key>CFBundleVersion</"
              "key><string>40</string>"
              "<key>QuillstoneUpdateManifestURL</key><string>https://quillstone.app/version.json</string>"
              "</dict></plist>");
    ManualMainQueue mainQueue;
    ManualBackgroundQueue background;
    ManualRefreshTimer timer;
    StatusEnvironment environment(Bundle(status), SystemTools::forBundle(SystemTools::outermostBundle(Bundle(status))),
                                  UserDomain::rootedAt(root / "home"));
    auto collaborators = environment.collaborators(mainQueue, background, timer);
    EXPECT_EQ(collaborators.launchctl, root / "Quillstone.app/Contents/Helpers/launchctl");
    EXPECT_EQ(collaborators.updateManifestURL, "https://quillstone.app/version.json");
    EXPECT_EQ(collaborators.currentVersion, "2.3");
    EXPECT_EQ(collaborators.currentBuild, "40");
    EXPECT_EQ(collaborators.userID, ::getuid());
    StatusEnvironment bare(Bundle(root / "nowhere.app"), SystemTools::macOS(), UserDomain::rootedAt(root / "home"));
    auto unversioned = bare.collaborators(mainQueue, background, timer);
    EXPECT_EQ(unversioned.updateManifestURL, "");
    EXPECT_EQ(unversioned.currentVersion, std::nullopt);
}
