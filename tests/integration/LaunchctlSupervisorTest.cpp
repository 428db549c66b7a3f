#include "support/LaunchdHome.h"
#include "support/WaitFor.h"

#include <chrono>
#include <csignal>
#include <iterator>
#include <sstream>
#include <thread>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace {

const std::filesystem::path pidAgent = std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures/pid-agent";
const std::string label = "com.quillstone.test-agent";
const auto throttle = 500ms;

class LaunchctlSupervisorTest : public LaunchdHome {
protected:
    ~LaunchctlSupervisorTest() override { launch({"bootout", service()}); }

    static std::string service() { return domain() + "/" + label; }

    std::filesystem::path writeAgent(bool runAtLoad, bool keepAlive, std::vector<std::string> program = {}) {
        if (program.empty()) {
            program = {pidAgent.string(), pids.string()};
        }
        return LaunchdHome::writeAgent(label, program, runAtLoad, keepAlive,
                                       "<key>ProcessType</key><string>Background</string>");
    }

    std::vector<pid_t> agentPids() const {
        std::istringstream lines(readText(pids));
        return {std::istream_iterator<pid_t>(lines), std::istream_iterator<pid_t>()};
    }

    bool startedTimes(size_t count) {
        return waitFor([&] { return agentPids().size() >= count; });
    }

    std::filesystem::path pids = home / "agent.pids";
};

} // namespace

TEST_F(LaunchctlSupervisorTest, BootstrapStartsTheAgentKickstartRestartsItAndBootoutStopsItForGood) {
    auto refused = launch({"bootstrap", domain(), writeAgent(true, true, {(home / "missing").string()}).string()});
    EXPECT_EQ(refused.status, 5);
    EXPECT_NE(refused.errors.find("Bootstrap failed: 5: "), std::string::npos);
    EXPECT_EQ(launch({"print", service()}).status, 113);
    EXPECT_EQ(launch({"kickstart", "-k", service()}).status, 113);

    auto plist = writeAgent(true, true);
    auto bootstrap = launch({"bootstrap", domain(), plist.string()});
    ASSERT_EQ(bootstrap.status, 0) << bootstrap.errors;
    ASSERT_TRUE(startedTimes(1));
    pid_t first = agentPids().front();

    auto print = launch({"print", service()});
    EXPECT_EQ(print.status, 0);
    EXPECT_NE(print.output.find("\tpid = " + std::to_string(first) + "\n"), std::string::npos) << print.output;
    EXPECT_NE(print.output.find("\tstate = running\n"), std::string::npos);

    auto again = launch({"bootstrap", domain(), plist.string()});
    EXPECT_EQ(again.status, 37);
    EXPECT_EQ(again.errors, "Bootstrap failed: 37: Operation already in progress\n");

    auto kickstart = launch({"kickstart", "-k", service()});
    EXPECT_EQ(kickstart.status, 0) << kickstart.errors;
    EXPECT_FALSE(processAlive(first));
    print = launch({"print", service()});
    ASSERT_EQ(agentPids().size(), 2u);
    pid_t second = agentPids().back();
    EXPECT_NE(second, first);
    EXPECT_NE(print.output.find("\tpid = " + std::to_string(second) + "\n"), std::string::npos) << print.output;

    auto bootout = launch({"bootout", service()});
    EXPECT_EQ(bootout.status, 0) << bootout.errors;
    EXPECT_FALSE(processAlive(second)); // gone by the time bootout returns
    EXPECT_EQ(launch({"print", service()}).status, 113);
    EXPECT_EQ(launch({"bootout", service()}).status, 3);

    std::this_thread::sleep_for(2 * throttle);
    EXPECT_EQ(agentPids().size(), 2u) << "the agent came back after bootout";
}

TEST_F(LaunchctlSupervisorTest, WithoutRunAtLoadOrKeepAliveTheAgentRunsOnlyWhenAsked) {
    ASSERT_EQ(launch({"bootstrap", domain(), writeAgent(false, false).string()}).status, 0);
    auto print = launch({"print", service()});
    EXPECT_EQ(print.status, 0); // loaded, though not running
    EXPECT_NE(print.output.find("\tstate = not running\n"), std::string::npos);
    EXPECT_TRUE(agentPids().empty());

    EXPECT_EQ(launch({"kickstart", service()}).status, 0);
    ASSERT_TRUE(startedTimes(1));
    ::kill(agentPids().front(), SIGTERM);
    std::this_thread::sleep_for(2 * throttle);
    EXPECT_EQ(agentPids().size(), 1u);
    EXPECT_EQ(launch({"print", service()}).status, 0);
}

TEST_F(LaunchctlSupervisorTest, AnAgentIgnoringSigtermIsKilledAfterTheExitTimeout) {
    auto script = home / "stubborn";
    writeText(script, "#!/bin/sh\ntrap '' TERM\necho $$ >> \"$1\"\nwhile :; do sleep 0.05; done\n");
    std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    ASSERT_EQ(launch({"bootstrap", domain(), writeAgent(true, true, {script.string(), pids.string()}).string()})
                  .status,
              0);
    ASSERT_TRUE(startedTimes(1));
    auto before = std::chrono::steady_clock::now();
    EXPECT_EQ(launch({"bootout", service()}).status, 0);
    auto took = std::chrono::steady_clock::now() - before;
    EXPECT_GE(took, 900ms);
    EXPECT_LT(took, 4s);
    EXPECT_FALSE(processAlive(agentPids().front()));
}

TEST_F(LaunchctlSupervisorTest, AKilledAgentReturnsAfterTheThrottleAndAnOrphanEndsAtTheNextBootstrap) {
    auto plist = writeAgent(true, true);
    auto started = std::chrono::steady_clock::now();
    // As when the caller runs under nohup, or ignores SIGCHLD.
    auto bootstrap = ProgramRun::of("/usr/bin/env", {"--ignore-signal=HUP", "--ignore-signal=CHLD",
                                                     std::string(QUILLSTONE_APP_DIR) + "/Contents/Helpers/launchctl",
                                                     "bootstrap", domain(), plist.string()});
    ASSERT_EQ(bootstrap.status, 0) << bootstrap.errors;
    ASSERT_TRUE(startedTimes(1));
    ::kill(agentPids().front(), SIGKILL);
    ASSERT_TRUE(startedTimes(2));
    auto restarted = std::chrono::steady_clock::now() - started;
    EXPECT_GE(restarted, throttle - 50ms);
    EXPECT_LT(restarted, throttle + 2s);
    EXPECT_TRUE(processAlive(agentPids().back()));
    // The supervisor publishes its state just after the agent has started.
    EXPECT_TRUE(waitFor([&] {
        return launch({"print", service()}).output.find("\truns = 2\n") != std::string::npos;
    }));

    // The supervisor dies: the agent is unloaded and its orphan goes with the next bootstrap.
    pid_t orphan = agentPids().back();
    auto state = home / ".local/state/quillstone-launchd/agents" / label;
    const pid_t supervisor = std::stoi(readText(state / "supervisor.pid"));
    ASSERT_GT(supervisor, 0);
    ::kill(supervisor, SIGKILL);
    ASSERT_TRUE(waitFor([&] { return !processAlive(supervisor); }));

    EXPECT_EQ(launch({"print", service()}).status, 113);
    ASSERT_EQ(launch({"bootstrap", domain(), plist.string()}).status, 0);
    EXPECT_TRUE(waitFor([&] { return !processAlive(orphan); }));
    ASSERT_TRUE(startedTimes(3));
    EXPECT_TRUE(processAlive(agentPids().back()));
}
