#include "setup/service/QuillstoneStatusHost.h"
#include "setup/service/SD4MonitorServiceError.h"
#include "support/ServiceFakes.h"
#include "support/TemporaryFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;
using ::testing::ElementsAre;
using Code = SD4MonitorServiceError::Code;

namespace {

class StatusHostTest : public ServiceFakesTest {
protected:
    Bundle mainBundle{root / "Quillstone.app"};
    QuillstoneStatusHost host{{loginItems, running, runner, sleeper, files, mainBundle, "/usr/bin/open"}};
};

} // namespace

TEST_F(StatusHostTest, RegisteringRestartsARunningStatusAppAndUnregistersOnlyAnEnabledItemFirst) {
    running.start(100, statusID);
    pid_t next = 101;
    loginItems.onRegister = [&] { running.start(next++, statusID); };
    host.registerStatusHost();
    EXPECT_THAT(journal, ElementsAre("kill 100", std::string("register ") + statusID));
    EXPECT_TRUE(sleeper.sleeps.empty());
    ASSERT_EQ(running.apps.size(), 1u);
    EXPECT_EQ(running.apps.front().processIdentifier, 101);

    journal.clear();
    loginItems.current = LoginItemStatus::enabled;
    host.registerStatusHost();
    EXPECT_THAT(journal, ElementsAre("kill 101", std::string("unregister ") + statusID,
                                     std::string("register ") + statusID));

    // Awaiting approval is not "enabled": no unregistration first.
    journal.clear();
    loginItems.current = LoginItemStatus::requiresApproval;
    host.registerStatusHost();
    EXPECT_THAT(journal, ElementsAre("kill 102", std::string("register ") + statusID));

    // A refused registration comes back unchanged, without waiting.
    loginItems.refuseRegister = true;
    EXPECT_THAT([&] { host.registerStatusHost(); },
                ::testing::ThrowsMessage<std::runtime_error>(::testing::StrEq(FakeLoginItems::refusal)));
    EXPECT_TRUE(sleeper.sleeps.empty());
    EXPECT_TRUE(runner.calls.empty());
}

TEST_F(StatusHostTest, OpensTheEmbeddedAppSilentlyOnlyWhenTheSystemDoesNotStartItWithinTwoSeconds) {
    std::filesystem::create_directories(host.embeddedBundleURL());
    sleeper.onSleep = [this](std::chrono::milliseconds slept) {
        if (slept == 1900ms) {
            running.start(200, statusID);
        }
    };
    runner.onRun = [this](const RecordingCommandRunner::Call&) { running.start(300, statusID); };
    host.registerStatusHost();
    EXPECT_TRUE(runner.calls.empty());
    EXPECT_EQ(sleeper.slept(), 1900ms);

    host.registerStatusHost();
    ASSERT_EQ(runner.calls.size(), 1u);
    EXPECT_TRUE(runner.calls[0].silenced);
    EXPECT_EQ(sleeper.slept(), 1900ms + 2000ms);
}

TEST_F(StatusHostTest, FailuresOfTheFallbackAreReported) {
    // No embedded app: the missing host, found only after the first wait.
    EXPECT_EQ(failureOf([&] { host.registerStatusHost(); }), Code::missingStatusHost);
    EXPECT_EQ(sleeper.slept(), 2000ms);
    EXPECT_TRUE(runner.calls.empty());

    std::filesystem::create_directories(host.embeddedBundleURL());
    runner.succeeds["-g"] = false;
    EXPECT_EQ(failureOf([&] { host.registerStatusHost(); }), Code::statusHostLaunchFailed);

    // open succeeds, yet nothing appears within the second two seconds.
    runner.succeeds["-g"] = true;
    const auto before = sleeper.slept();
    EXPECT_EQ(failureOf([&] { host.registerStatusHost(); }), Code::statusHostLaunchFailed);
    EXPECT_EQ(sleeper.slept() - before, 4000ms);
}

TEST_F(StatusHostTest, UnregisteringAlwaysEndsRunningApps) {
    host.unregisterStatusHost();
    EXPECT_TRUE(journal.empty());

    loginItems.current = LoginItemStatus::enabled;
    loginItems.refuseUnregister = true;
    running.start(100, statusID);
    EXPECT_THROW(host.unregisterStatusHost(), std::runtime_error);
    EXPECT_THAT(journal, ElementsAre(std::string("unregister ") + statusID, "kill 100"));

    journal.clear();
    loginItems.current = LoginItemStatus::notFound;
    loginItems.refuseUnregister = false;
    host.unregisterStatusHost();
    EXPECT_THAT(journal, ElementsAre(std::string("unregister ") + statusID));
}

TEST_F(StatusHostTest, InstalledWhenRegisteredInAnyWayOrWhenTheAppRuns) {
    running.start(100, "com.example.other");
    EXPECT_FALSE(host.isStatusHostInstalled());
    running.start(101, statusID);
    EXPECT_TRUE(host.isStatusHostInstalled());
    running.apps.clear();
    for (auto status : {LoginItemStatus::enabled, LoginItemStatus::requiresApproval, LoginItemStatus::notFound}) {
        loginItems.current = status;
        EXPECT_TRUE(host.isStatusHostInstalled());
    }
}

// A running app ends the wait at once: the registration tests never sleep.
TEST_F(StatusHostTest, WaitingChecksEveryTenthOfASecondUntilTheDeadline) {
    EXPECT_FALSE(host.waitForStatusApp(2000ms));
    EXPECT_EQ(sleeper.sleeps.size(), 20u);
    EXPECT_THAT(sleeper.sleeps, ::testing::Each(100ms));
    EXPECT_FALSE(host.waitForStatusApp(0ms));
    EXPECT_EQ(sleeper.sleeps.size(), 21u);

    // A killed instance that lingers does not count as started.
    running.start(100, statusID);
    running.killedAppsLinger = true;
    EXPECT_EQ(failureOf([&] { host.registerStatusHost(); }), Code::missingStatusHost);
    EXPECT_FALSE(host.waitForStatusApp(0ms));
    running.start(101, statusID);
    EXPECT_TRUE(host.waitForStatusApp(0ms));
}
