#include "platform/ChildProcessCommandRunner.h"
#include "platform/DetachedProcess.h"
#include "platform/FileError.h"
#include "platform/XdgAutostartLoginItemService.h"
#include "setup/model/QuillstoneConfigurationStore.h"
#include "setup/service/SD4AgentPropertyList.h"
#include "setup/service/SD4MonitorService.h"
#include "setup/service/SD4MonitorServiceError.h"
#include "support/FakeBundles.h"
#include "support/MarkedRunningApplications.h"
#include "support/ScopedEnvironment.h"
#include "support/ServiceFakes.h"
#include "support/TemporaryFolder.h"
#include "support/FileListings.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <sstream>

using namespace quillstone;
using namespace quillstone::testing;
using ::testing::ElementsAre;
using Code = SD4MonitorServiceError::Code;
namespace fs = std::filesystem;

namespace {

constexpr const char* statusID = "com.quillstone.Quillstone-Setup.Status";
const fs::path fixtures = fs::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures";

// One copy of Quillstone.app with everything it talks to.
struct Installation {
    Installation(const fs::path& bundle, PosixFileManager& files, const SystemLayout& layout,
                 RunningApplications& running, const fs::path& autostart, std::vector<std::string>& removals)
        : loginItems(files, Bundle(bundle), autostart, running, launchDetached),
          host({loginItems, running, ChildProcessCommandRunner::shared(), ThreadSleeper::shared(), files,
                Bundle(bundle), layout.tools.open}),
          service({files, layout, Bundle(bundle), UserIdentity{501, "anna"}, ChildProcessCommandRunner::shared(), host,
                   [&removals] { removals.push_back("monitor state"); }}) {}

    XdgAutostartLoginItemService loginItems;
    QuillstoneStatusHost host;
    SD4MonitorService service;
};

class MonitorServiceIntegrationTest : public ::testing::Test {
protected:
    TemporaryFolder root;
    fs::path home = root / "home";
    PosixFileManager files{UserDomain::rootedAt(home)};
    SystemLayout layout = SystemLayout::rootedAt(
        root.path(), files.userDomain(),
        SystemTools{fixtures / "fake-launchctl", root / "missing/shortcuts", fixtures / "fake-open",
                    root / "missing/osascript"});
    fs::path bundle = root / "Applications/Quillstone.app";
    fs::path autostart = home / ".config/autostart";
    fs::path autostartEntry = autostart / "com.quillstone.Quillstone-Setup.Status.desktop";
    fs::path agentPlist = home / "Library/LaunchAgents/com.quillstone.monitor.plist";
    fs::path legacyPlist = home / "Library/LaunchAgents/com.quillstone.statushost.plist";
    fs::path launchctlLog = root / "launchctl.log";
    fs::path openLog = root / "open.log";
    MarkedRunningApplications running;
    ScopedEnvironment environment;
    std::vector<std::string> removals;
    std::unique_ptr<Installation> app;

    void SetUp() override {
        makeSetupBundle(bundle, fixtures / "fake-status-app");
        running.statusBundles.push_back(statusBundleOf(bundle));
        app = makeInstallation(bundle);
        environment.set("QUILLSTONE_FAKE_LAUNCHCTL_LOG", launchctlLog);
        environment.set("QUILLSTONE_FAKE_OPEN_LOG", openLog);
        failLaunchctl("");
    }

    std::unique_ptr<Installation> makeInstallation(const fs::path& at) {
        return std::make_unique<Installation>(at, files, layout, running, autostart, removals);
    }
    void failLaunchctl(const std::string& subcommands) {
        environment.set("QUILLSTONE_FAKE_LAUNCHCTL_FAIL", subcommands);
    }
    void clearLogs() {
        fs::remove(launchctlLog);
        fs::remove(openLog);
    }
    void saveConfiguration(QuillstoneIntegration integration) {
        QuillstoneConfigurationStore(files).save({1, integration, (home / "Dropbox/Quillstone").string()});
    }
    bool statusAppRunning() { return !running.withBundleIdentifier(statusID).empty(); }
    std::optional<QuillstoneInstalledComponents> storedRecord() { return QuillstoneInstalledComponentsStore(files).load(); }

    std::vector<std::string> installLines() const {
        return {"bootout gui/501/com.quillstone.statushost", "bootout gui/501/com.quillstone.monitor",
                "enable gui/501/com.quillstone.monitor", "bootstrap gui/501 " + agentPlist.string()};
    }
};

} // namespace

TEST_F(MonitorServiceIntegrationTest, InstallingTwiceReloadsAnAgentRunningThisExecutableInMonitorMode) {
    app->service.installMonitorAgent();
    app->service.installMonitorAgent();

    // The exact calls are checked with the recording runner; each install makes them all again.
    EXPECT_EQ(linesOf(launchctlLog).size(), 2 * installLines().size());
    EXPECT_FALSE(fs::exists(openLog)) << "the login item started the status app itself";
    EXPECT_EQ(readText(agentPlist), (SD4AgentPropertyList{"com.quillstone.monitor",
                                                          bundle / "Contents/MacOS/quillstone-setup",
                                                          "--quillstone-sd4-monitor", "Background", home, "anna"}
                                         .xml()));
    EXPECT_THAT(readText(autostartEntry),
                ::testing::HasSubstr("Exec=\"" + (statusBundleOf(bundle) / "Contents/MacOS/quillstone-status").string()));
    EXPECT_TRUE(statusAppRunning());
    EXPECT_EQ(storedRecord(), QuillstoneInstalledComponents::current(QuillstoneIntegration::sd4, Bundle(bundle)));
}

TEST_F(MonitorServiceIntegrationTest, AFailedBootstrapOrRecordSaveLeavesNoAgentAndNoStatusHost) {
    auto nothingLeft = [&] {
        EXPECT_FALSE(fs::exists(agentPlist));
        EXPECT_FALSE(fs::exists(autostartEntry));
        EXPECT_FALSE(statusAppRunning());
    };
    app->service.installMonitorAgent();
    ASSERT_TRUE(fs::exists(autostartEntry));
    ASSERT_TRUE(statusAppRunning());
    clearLogs();
    failLaunchctl("bootstrap");
    EXPECT_EQ(failureOf([&] { app->service.installMonitorAgent(); }), Code::launchctlFailed);
    EXPECT_EQ(linesOf(launchctlLog).back(), "bootout gui/501/com.quillstone.monitor") << "booted out again";
    nothingLeft();

    failLaunchctl("");
    fs::remove_all(home / ".local/share/Quillstone");
    writeText(home / ".local/share/Quillstone", "a file where the support folder belongs");
    EXPECT_THROW(app->service.installMonitorAgent(), FileError);
    nothingLeft();
}

TEST_F(MonitorServiceIntegrationTest, MissingExecutableInstallsNothing) {
    fs::remove(bundle / "Contents/MacOS/quillstone-setup");
    EXPECT_EQ(failureOf([&] { app->service.installMonitorAgent(); }), Code::missingExecutable);
    EXPECT_FALSE(fs::exists(launchctlLog));
    EXPECT_FALSE(fs::exists(agentPlist.parent_path()));
}

TEST_F(MonitorServiceIntegrationTest, UninstallingNeedsNothingInstalledAndIgnoresFailedBootouts) {
    QuillstoneInstalledComponentsStore(files).save(
        QuillstoneInstalledComponents::current(QuillstoneIntegration::sd4, Bundle(bundle)));
    failLaunchctl("bootout");
    app->service.uninstallMonitorAgent();
    EXPECT_THAT(linesOf(launchctlLog), ElementsAre("bootout gui/501/com.quillstone.monitor",
                                                   "bootout gui/501/com.quillstone.statushost"));
    EXPECT_FALSE(storedRecord());
}

TEST_F(MonitorServiceIntegrationTest, RemovalStopsAtAnUndeletableAgentThenTakesAgentsButKeepsTheStatusFile) {
    app->service.installMonitorAgent();
    saveConfiguration(QuillstoneIntegration::sd4);
    writeText(home / "Dropbox/Quillstone/backup_status.json", "{}");
    fs::remove(agentPlist);
    writeText(agentPlist / "blocker", "");
    EXPECT_THROW(app->service.removeSD4Monitor(), FileError);
    EXPECT_TRUE(storedRecord());
    EXPECT_TRUE(QuillstoneConfigurationStore(files).loadComplete());
    EXPECT_TRUE(removals.empty());
    EXPECT_FALSE(fs::exists(autostartEntry)) << "the status host is unregistered regardless";
    EXPECT_FALSE(statusAppRunning());

    fs::remove_all(agentPlist);
    writeText(agentPlist, "<plist/>");
    writeText(legacyPlist, "<plist/>");
    app->service.removeSD4Monitor();
    EXPECT_FALSE(fs::exists(agentPlist));
    EXPECT_FALSE(fs::exists(legacyPlist));
    EXPECT_FALSE(QuillstoneConfigurationStore(files).loadComplete());
    EXPECT_FALSE(storedRecord());
    EXPECT_THAT(removals, ElementsAre("monitor state"));
    EXPECT_TRUE(fs::exists(home / "Dropbox/Quillstone/backup_status.json"));
}

TEST_F(MonitorServiceIntegrationTest, PrintDecidesWhetherLoadedAndAnUpgradeOfNothingChangesNothing) {
    EXPECT_TRUE(app->service.isMonitorLoaded());
    clearLogs();
    failLaunchctl("print");
    writeText(QuillstoneConfigurationStore(files).fileURL(), "not a configuration");
    EXPECT_FALSE(app->service.upgradeMonitorService(true));
    EXPECT_THAT(linesOf(launchctlLog), ElementsAre("print gui/501/com.quillstone.monitor"));
    EXPECT_FALSE(storedRecord());
    layout.tools.launchctl = root / "missing/launchctl";
    EXPECT_FALSE(makeInstallation(bundle)->service.isMonitorLoaded());
}

TEST_F(MonitorServiceIntegrationTest, UpgradeRefusesAnIncompleteConfigurationAndClassicWithAnSD4Worker) {
    app->service.installMonitorAgent();
    EXPECT_EQ(failureOf([&] { app->service.upgradeMonitorService(true); }), Code::missingUpgradeConfiguration);

    saveConfiguration(QuillstoneIntegration::classic);
    EXPECT_EQ(failureOf([&] { app->service.upgradeMonitorService(true); }), Code::inconsistentUpgradeState);
    EXPECT_TRUE(fs::exists(agentPlist)) << "an upgrade never removes anything";
    // A loaded agent without its property list is a worker too.
    fs::remove(agentPlist);
    EXPECT_EQ(failureOf([&] { app->service.upgradeMonitorService(false); }), Code::inconsistentUpgradeState);
}

TEST_F(MonitorServiceIntegrationTest, ACurrentInstallationIsUpgradedOnlyWhenForcedOrMoved) {
    app->service.installMonitorAgent();
    saveConfiguration(QuillstoneIntegration::sd4);
    clearLogs();
    EXPECT_FALSE(app->service.upgradeMonitorService(false));
    EXPECT_FALSE(fs::exists(launchctlLog));

    EXPECT_TRUE(app->service.upgradeMonitorService(true));
    EXPECT_THAT(linesOf(launchctlLog),
                ElementsAre("bootout gui/501/com.quillstone.monitor", "enable gui/501/com.quillstone.monitor",
                            "bootstrap gui/501 " + agentPlist.string()));
    EXPECT_TRUE(statusAppRunning());

    // The application moved: everything points at the new copy.
    fs::path moved = root / "Moved/Quillstone.app";
    makeSetupBundle(moved, fixtures / "fake-status-app");
    running.statusBundles.push_back(statusBundleOf(moved));
    auto movedApp = makeInstallation(moved);
    EXPECT_TRUE(movedApp->service.upgradeMonitorService(false));
    EXPECT_EQ(SD4AgentPropertyList::firstProgramArgument(readText(agentPlist)),
              (moved / "Contents/MacOS/quillstone-setup").string());
    EXPECT_EQ(storedRecord()->bundlePath, moved.string());
    EXPECT_THAT(readText(autostartEntry), ::testing::HasSubstr(statusBundleOf(moved).string()));
    EXPECT_TRUE(movedApp->service.agentTargetsCurrentExecutable());
    EXPECT_FALSE(app->service.agentTargetsCurrentExecutable());
    EXPECT_FALSE(movedApp->service.upgradeMonitorService(false));
}

TEST_F(MonitorServiceIntegrationTest, AnUpgradeWithoutAWorkerReregistersTheStatusHostOnly) {
    failLaunchctl("print");
    for (const auto integration : {QuillstoneIntegration::classic, QuillstoneIntegration::sd4}) {
        SCOPED_TRACE(integration == QuillstoneIntegration::sd4 ? "sd4" : "classic");
        saveConfiguration(integration);
        app->service.installClassicStatusHost();
        EXPECT_EQ(storedRecord()->integration, QuillstoneIntegration::classic);
        fs::remove(QuillstoneInstalledComponentsStore(files).fileURL());
        clearLogs();

        EXPECT_TRUE(app->service.upgradeMonitorService(false));
        EXPECT_THAT(linesOf(launchctlLog), ElementsAre("print gui/501/com.quillstone.monitor"));
        EXPECT_EQ(storedRecord(), QuillstoneInstalledComponents::current(integration, Bundle(bundle)));
        EXPECT_TRUE(statusAppRunning());
    }
}
