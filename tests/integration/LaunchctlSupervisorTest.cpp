#include "support/ProgramRun.h"
#include "support/ScopedEnvironment.h"
#include "support/TemporaryFolder.h"
#include "support/WaitFor.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <thread>

using namespace quillstone;
using namespace quillstone::testing;
using namespace std::chrono_literals;

namespace {

const std::filesystem::path launchctl = std::filesystem::path(QUILLSTONE_APP_DIR) / "Contents/Helpers/launchctl";
const std::filesystem::path pidAgent = std::filesystem::path(QUILLSTONE_SOURCE_DIR) / "tests/fixtures/pid-agent";
const std::string label = "com.quillstone.test-agent";
const auto throttle = 500ms;

bool processAlive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line)) {
        return false;
    }
    auto close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] != 'Z';
}

class LaunchctlSupervisorTest : public ::testing::Test {
protected:
    LaunchctlSupervisorTest() {
        environment.set("HOME", home.path().string());
        environment.clear("XDG_RUNTIME_DIR");
        environment.clear("XDG_STATE_HOME");
        environment.set("QUILLSTONE_SYSTEMCTL", (home / "no-systemctl").string());
        environment.set("QUILLSTONE_LAUNCHD_THROTTLE", "0.5");
        environment.set("QUILLSTONE_LAUNCHD_EXIT_TIMEOUT", "1");
    }
    ~LaunchctlSupervisorTest() override { launch({"bootout", domain() + "/" + label}); }

    static std::string domain() { return "gui/" + std::to_string(::getuid()); }
    std::string service() const { return domain() + "/" + label; }
    ProgramRun launch(const std::vector<std::string>& arguments) { return ProgramRun::of(launchctl, arguments); }

    std::filesystem::path writeAgent(bool runAtLoad, bool keepAlive,
                                     const std::vector<std::string>& program = {}) {
        auto plist = home / ("Library/LaunchAgents/" + label + ".plist");
        std::string arguments;
        for (const auto& argument : program.empty() ? std::vector<std::string>{pidAgent.string(), pids.string()}
                                                    : program) {
            arguments += "<string>" + argument + "</string>";
        }
        writeText(plist, "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>"
                         "<key>Label</key><string>" + label + "</string>"
                         "<key>ProgramArguments</key><array>" + arguments + "</array>"
                         "<key>RunAtLoad</key><" + (runAtLoad ? "true" : "false") + "/>"
                         "<key>KeepAlive</key><" + (keepAlive ? "true" : "false") + "/>"
                         "<key>ProcessType</key><string>Background</string>"
                         "</dict></plist>");
        return plist;
    }

    std::vector<pid_t> agentPids() const {
        std::vector<pid_t> result;
        std::istringstream lines(readText(pids));
        pid_t pid;
        while (lines >> pid) {
            result.push_back(pid);
        }
        return result;
    }

    bool startedTimes(size_t count) {
        return waitFor([&] { return agentPids().size() >= count; });
    }

    TemporaryFolder home;
    ScopedEnvironment environment;
    std::filesystem::path pids = home / "agent.pids";
};

} // namespace

TEST_F(LaunchctlSupervisorTest, BootstrapStartsTheAgentPrintFollowsItAndBootoutStopsItForGood) {
    auto plist = writeAgent(true, true);
    auto bootstrap = launch({"bootstrap", domain(), plist.string()});
    ASSERT_EQ(bootstrap.status, 0) << bootstrap.errors;
    ASSERT_TRUE(startedTimes(1));
    pid_t agent = agentPids().front();

    auto print = launch({"print", service()});
    EXPECT_EQ(print.status, 0);
    EXPECT_NE(print.output.find("\tpid = " + std::to_string(agent) + "\n"), std::string::npos) << print.output;
    EXPECT_NE(print.output.find("\tstate = running\n"), std::string::npos);

    auto again = launch({"bootstrap", domain(), plist.string()});
    EXPECT_EQ(again.status, 37);
    EXPECT_EQ(again.errors, "Bootstrap failed: 37: Operation already in progress\n");

    auto bootout = launch({"bootout", service()});
    EXPECT_EQ(bootout.status, 0) << bootout.errors;
    EXPECT_FALSE(processAlive(agent)); // gone by the time bootout returns
    EXPECT_EQ(launch({"print", service()}).status, 113);
    EXPECT_EQ(launch({"bootout", service()}).status, 3);

    std::this_thread::sleep_for(2 * throttle);
    EXPECT_EQ(agentPids().size(), 1u) << "the agent came back after bootout";
}

TEST_F(LaunchctlSupervisorTest, AKilledAgentComesBackAfterTheThrottleEvenWhenTheCallerIgnoresSignals) {
    auto started = std::chrono::steady_clock::now();
    // As when the caller runs under nohup, or ignores SIGCHLD.
    auto bootstrap = ProgramRun::of("/usr/bin/env", {"--ignore-signal=HUP", "--ignore-signal=CHLD",
                                                     launchctl.string(), "bootstrap", domain(),
                                                     writeAgent(true, true).string()});
    ASSERT_EQ(bootstrap.status, 0) << bootstrap.errors;
    ASSERT_TRUE(startedTimes(1));
    ::kill(agentPids().front(), SIGKILL);
    ASSERT_TRUE(startedTimes(2));
    auto restarted = std::chrono::steady_clock::now() - started;
    EXPECT_GE(restarted, throttle - 50ms);
    EXPECT_LT(restarted, throttle + 2s);
    EXPECT_TRUE(processAlive(agentPids().back()));
    EXPECT_NE(launch({"print", service()}).output.find("\truns = 2\n"), std::string::npos);
    EXPECT_EQ(launch({"kickstart", "-k", service()}).status, 0);
    EXPECT_TRUE(startedTimes(3));
}

TEST_F(LaunchctlSupervisorTest, KickstartKillRestartsTheAgentWithANewPid) {
    EXPECT_EQ(launch({"kickstart", "-k", service()}).status, 113);
    ASSERT_EQ(launch({"bootstrap", domain(), writeAgent(true, true).string()}).status, 0);
    ASSERT_TRUE(startedTimes(1));
    pid_t first = agentPids().front();

    auto kickstart = launch({"kickstart", "-k", service()});
    EXPECT_EQ(kickstart.status, 0) << kickstart.errors;
    EXPECT_FALSE(processAlive(first));
    auto print = launch({"print", service()});
    ASSERT_EQ(agentPids().size(), 2u);
    pid_t second = agentPids().back();
    EXPECT_NE(second, first);
    EXPECT_NE(print.output.find("\tpid = " + std::to_string(second) + "\n"), std::string::npos) << print.output;
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

TEST_F(LaunchctlSupervisorTest, ADeadSupervisorUnloadsAndItsOrphanIsCleanedUpOnTheNextBootstrap) {
    auto plist = writeAgent(true, true);
    ASSERT_EQ(launch({"bootstrap", domain(), plist.string()}).status, 0);
    ASSERT_TRUE(startedTimes(1));
    pid_t orphan = agentPids().front();
    auto state = home / ".local/state/quillstone-launchd/agents" / label;
    std::istringstream record(readText(state / "supervisor.pid"));
    pid_t supervisor = 0;
    ASSERT_TRUE(record >> supervisor);
    ::kill(supervisor, SIGKILL);
    ASSERT_TRUE(waitFor([&] { return !processAlive(supervisor); }));

    EXPECT_EQ(launch({"print", service()}).status, 113);
    ASSERT_EQ(launch({"bootstrap", domain(), plist.string()}).status, 0);
    EXPECT_TRUE(waitFor([&] { return !processAlive(orphan); }));
    ASSERT_TRUE(startedTimes(2));
    EXPECT_TRUE(processAlive(agentPids().back()));
}

TEST_F(LaunchctlSupervisorTest, BootstrapRefusesAProgramThatIsNotThere) {
    auto result = launch({"bootstrap", domain(), writeAgent(true, true, {(home / "missing").string()}).string()});
    EXPECT_EQ(result.status, 5);
    EXPECT_NE(result.errors.find("Bootstrap failed: 5: "), std::string::npos);
    EXPECT_EQ(launch({"print", service()}).status, 113);
}
