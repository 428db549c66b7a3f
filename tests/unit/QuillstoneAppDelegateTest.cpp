#include "platform/ReferenceDate.h"
#include "setup/app/LaunchMode.h"
#include "setup/app/QuillstoneAppDelegate.h"
#include "support/SetupSessionTest.h"

#include <gtest/gtest.h>

#include <set>
#include <stdexcept>

using namespace quillstone;
using namespace std::chrono_literals;
using quillstone::testing::FakeRunningApplications;
using quillstone::testing::TemporaryFolder;
using Record = QuillstoneSetupSession::Record;

namespace {

struct FakeApplication : ApplicationControl {
    int accessoryRequests = 0;
    int activations = 0;
    std::vector<std::string> errors;
    void setAccessoryActivationPolicy() override { ++accessoryRequests; }
    void activateIgnoringOtherApps() override { ++activations; }
    void presentError(const std::string& description) override { errors.push_back(description); }
};

struct FakeWindow : SetupWindow {
    std::vector<std::string> calls;
    void deminiaturize() override { calls.push_back("deminiaturize"); }
    void makeKeyAndOrderFront() override { calls.push_back("front"); }
    void detachContentView() override { calls.push_back("detach"); }
};

struct FakeLauncher : SetupInstanceLauncher {
    int launches = 0;
    std::optional<std::string> failure;
    void openNewInstance() override {
        ++launches;
        if (failure) {
            throw std::runtime_error(*failure);
        }
    }
};

class AppDelegateTest : public quillstone::testing::SetupSessionTest {
protected:
    QuillstoneProcessRegistry registry{home.path()};
    FakeApplication application;
    FakeLauncher launcher;
    ManualClock clock{std::chrono::system_clock::from_time_t(1'780'000'000)};
    std::vector<std::string> arguments{"/Applications/Quillstone.app/Contents/MacOS/quillstone-setup"};
    std::vector<std::string> monitorEvents;
    QuillstoneAppDelegate delegate{{
        .arguments = [this] { return arguments; },
        .application = application,
        .session = session,
        .registry = registry,
        .launcher = launcher,
        .clock = clock,
        .monitor = {[this] { monitorEvents.push_back("start"); }, [this] { monitorEvents.push_back("stop"); }},
    }};

    void monitorMode() { arguments.push_back(monitorModeArgument); }
    double now() const { return secondsSinceReferenceDate(clock.now()); }
    bool sessionFileExists() const { return std::filesystem::exists(session.fileURL()); }
};

} // namespace

TEST(LaunchModeTest, OnlyTheExactFlagAnywhereSelectsMonitorMode) {
    EXPECT_TRUE(isMonitorMode({"quillstone-setup", "--quillstone-sd4-monitor"}));
    EXPECT_TRUE(isMonitorMode({"quillstone-setup", "-x", "--quillstone-sd4-monitor", "y"}));
    EXPECT_TRUE(isMonitorMode({"--quillstone-sd4-monitor"})) << "the program path counts too";
    EXPECT_FALSE(isMonitorMode({"quillstone-setup"}));
    EXPECT_FALSE(isMonitorMode({"quillstone-setup", "--Quillstone-SD4-Monitor"}));
    EXPECT_FALSE(isMonitorMode({"quillstone-setup", "--quillstone-sd4-monitor=1"}));
    EXPECT_FALSE(isMonitorMode({"quillstone-setup", "-quillstone-sd4-monitor"}));
    EXPECT_FALSE(isMonitorMode({}));
}

TEST_F(AppDelegateTest, MonitorModeRunsTheMonitorAndNeverAWindow) {
    monitorMode();
    delegate.applicationWillFinishLaunching();
    EXPECT_EQ(application.accessoryRequests, 1);
    delegate.applicationDidFinishLaunching();
    EXPECT_EQ(monitorEvents, std::vector<std::string>{"start"});
    EXPECT_TRUE(delegate.isMonitorRunning());
    EXPECT_FALSE(delegate.applicationShouldTerminateAfterLastWindowClosed());

    auto window = std::make_shared<FakeWindow>();
    delegate.registerMainWindow(window);
    delegate.showMainWindow();
    EXPECT_EQ(delegate.mainWindow(), nullptr);
    EXPECT_TRUE(window->calls.empty());
    EXPECT_EQ(application.activations, 0);

    // Someone else's record survives a monitor's termination.
    session.writeRecord({.processIdentifier = ownPid, .launchRequestedAt = {}});
    delegate.applicationWillTerminate();
    EXPECT_EQ(monitorEvents, (std::vector<std::string>{"start", "stop"}));
    EXPECT_FALSE(delegate.isMonitorRunning());
    EXPECT_TRUE(sessionFileExists());

    // The mode is asked afresh each time: as a wizard it shows its window and comes forward.
    arguments.pop_back();
    EXPECT_TRUE(delegate.applicationShouldTerminateAfterLastWindowClosed());
    delegate.registerMainWindow(window);
    EXPECT_EQ(window->calls, (std::vector<std::string>{"deminiaturize", "front"}));
    EXPECT_EQ(application.activations, 1);
}

TEST_F(AppDelegateTest, MonitorReopenBringsALiveWizardForwardElseOpensOneNewInstance) {
    monitorMode();
    liveProcesses.insert(901);
    applications.running.push_back({901, "com.quillstone.Quillstone-Setup", "/Applications/Quillstone.app"});
    session.writeRecord({.processIdentifier = 901, .launchRequestedAt = {}});
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(true));
    EXPECT_EQ(applications.activated, std::vector<pid_t>{901});
    EXPECT_EQ(launcher.launches, 0);
    EXPECT_EQ(session.readRecord(), (Record{901, {}}));

    // It died without clearing its record; the failed launch is shown and still recorded.
    liveProcesses.clear();
    launcher.failure = "Could not launch \"quillstone-setup\": No such file or directory";
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_EQ(launcher.launches, 1);
    EXPECT_EQ(application.errors, std::vector<std::string>{*launcher.failure});
    EXPECT_EQ(session.readRecord(), (Record{{}, now()}));

    clock.advance(2s);
    EXPECT_TRUE(delegate.applicationShouldHandleReopen(false));
    EXPECT_EQ(launcher.launches, 1) << "a request 2 s ago is still on its way";

    clock.advance(2999ms);
    delegate.applicationShouldHandleReopen(false);
    EXPECT_EQ(launcher.launches, 1) << "4.999 s is still recent";

    clock.advance(1ms);
    delegate.applicationShouldHandleReopen(false);
    EXPECT_EQ(launcher.launches, 2) << "5 s or more opens another";
    EXPECT_EQ(session.readRecord(), (Record{{}, now()}));

    session.writeRecord({.processIdentifier = {}, .launchRequestedAt = now() + 3600});
    clock.advance(10s);
    delegate.applicationShouldHandleReopen(false);
    EXPECT_EQ(launcher.launches, 2) << "a request in the future counts as recent";
    EXPECT_EQ(session.readRecord(), (Record{{}, now() + 3590}));
}
