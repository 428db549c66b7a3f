#include "helpers/launchctl/LaunchctlError.h"
#include "helpers/launchctl/SystemdServiceManager.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

using namespace quillstone;
using quillstone::testing::TemporaryFolder;

namespace {

class RecordingSystemctl : public Systemctl {
public:
    Result run(const std::vector<std::string>& arguments) override {
        std::string line;
        for (const auto& argument : arguments) {
            line += (line.empty() ? "" : " ") + argument;
        }
        calls.push_back(line);
        if (arguments.front() == failing) {
            return {1, ""};
        }
        if (arguments.front() == "show") {
            return {0, showOutput};
        }
        return {0, ""};
    }

    std::vector<std::string> calls;
    std::string failing;
    std::string showOutput = "LoadState=loaded\nActiveState=active\nSubState=running\nMainPID=77\nNRestarts=2\n"
                             "ExecMainStatus=0\n";
};

LaunchAgentDefinition agent(bool runAtLoad) {
    LaunchAgentDefinition definition;
    definition.label = "com.example.agent";
    definition.programArguments = {"/bin/sh", "-c", "sleep 1"};
    definition.runAtLoad = runAtLoad;
    definition.keepAlive = LaunchAgentDefinition::KeepAlive::always;
    return definition;
}

class SystemdServiceManagerTest : public ::testing::Test {
protected:
    SystemdServiceManagerTest()
        : files(UserDomain::rootedAt(folder.path())), manager(files, systemctl, folder / "units", {}, {}) {}

    std::filesystem::path unit() const { return folder / "units/com.example.agent.service"; }

    int statusOf(const std::function<void()>& action) {
        try {
            action();
        } catch (const LaunchctlError& error) {
            lastError = error.what();
            return error.status();
        }
        return 0;
    }

    TemporaryFolder folder;
    PosixFileManager files;
    RecordingSystemctl systemctl;
    SystemdServiceManager manager;
    std::string lastError;
};

} // namespace

TEST_F(SystemdServiceManagerTest, AFailedStartLeavesNothingLoadedAFailedStopKeepsTheUnit) {
    systemctl.failing = "start";
    EXPECT_EQ(statusOf([&] { manager.bootstrap(agent(true), "/p.plist"); }), LaunchctlError::ioStatus);
    EXPECT_NE(lastError.find("start com.example.agent.service"), std::string::npos) << lastError;
    EXPECT_FALSE(std::filesystem::exists(unit()));
    EXPECT_EQ(systemctl.calls.back(), "daemon-reload");
    EXPECT_FALSE(manager.status("com.example.agent"));

    systemctl.failing = "stop";
    manager.bootstrap(agent(true), "/p.plist");
    EXPECT_EQ(statusOf([&] { manager.bootout("com.example.agent"); }), LaunchctlError::ioStatus);
    EXPECT_TRUE(std::filesystem::exists(unit()));
}

// A running unit's pid, state and plist are printed through the real program.
TEST_F(SystemdServiceManagerTest, PrintKickstartAndASecondBootstrapFollowTheManager) {
    EXPECT_FALSE(manager.status("com.example.agent"));
    EXPECT_EQ(statusOf([&] { manager.kickstart("com.example.agent", true); }),
              LaunchctlError::serviceNotFoundStatus);
    manager.bootstrap(agent(false), "/p.plist");
    EXPECT_EQ(systemctl.calls, (std::vector<std::string>{"daemon-reload"})) << "loaded, not started";
    EXPECT_EQ(statusOf([&] { manager.bootstrap(agent(true), "/p.plist"); }), LaunchctlError::alreadyLoadedStatus);
    systemctl.calls.clear();
    manager.kickstart("com.example.agent", true);
    manager.kickstart("com.example.agent", false);
    EXPECT_EQ(systemctl.calls,
              (std::vector<std::string>{"restart com.example.agent.service", "start com.example.agent.service"}));

    systemctl.showOutput = "LoadState=not-found\nActiveState=inactive\n";
    EXPECT_FALSE(manager.status("com.example.agent"));
    systemctl.showOutput = "LoadState=loaded\nActiveState=activating\nMainPID=0\nExecMainStatus=3\n";
    auto waiting = manager.status("com.example.agent");
    ASSERT_TRUE(waiting);
    EXPECT_EQ(waiting->state, "waiting");
    EXPECT_FALSE(waiting->pid);
    EXPECT_EQ(waiting->lastExitStatus, 3);
}

TEST_F(SystemdServiceManagerTest, RefusesAProgramThatIsNotThere) {
    auto definition = agent(true);
    definition.programArguments = {"/nonexistent/agent"};
    EXPECT_EQ(statusOf([&] { manager.bootstrap(definition, "/p.plist"); }), LaunchctlError::ioStatus);
    EXPECT_TRUE(systemctl.calls.empty());
    EXPECT_FALSE(std::filesystem::exists(unit()));
}
