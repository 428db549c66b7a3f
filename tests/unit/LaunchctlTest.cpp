#include "helpers/launchctl/Launchctl.h"
#include "helpers/launchctl/LaunchctlError.h"
#include "support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace quillstone;
using quillstone::testing::TemporaryFolder;
using quillstone::testing::writeText;

namespace {

class RecordingServiceManager : public ServiceManager {
public:
    void bootstrap(const LaunchAgentDefinition& definition, const std::filesystem::path& plistPath) override {
        calls.push_back("bootstrap " + definition.label + " " + plistPath.string());
    }
    void bootout(const std::string& label) override {
        calls.push_back("bootout " + label);
        if (!loaded) {
            throw LaunchctlError(LaunchctlError::noSuchProcessStatus, LaunchctlError::bootoutFailedText);
        }
    }
    std::optional<ServiceStatus> status(const std::string& label) override {
        calls.push_back("status " + label);
        if (!loaded) {
            return std::nullopt;
        }
        ServiceStatus status;
        status.label = label;
        return status;
    }
    void kickstart(const std::string& label, bool killFirst) override {
        calls.push_back(std::string("kickstart ") + (killFirst ? "-k " : "") + label);
    }

    bool loaded = true;
    std::vector<std::string> calls;
};

const char* const agentPlist = "<?xml version=\"1.0\"?><plist version=\"1.0\"><dict>"
                               "<key>Label</key><string>com.example.agent</string>"
                               "<key>ProgramArguments</key><array><string>/bin/sh</string></array>"
                               "</dict></plist>";

class LaunchctlTest : public ::testing::Test {
protected:
    LaunchctlTest() : files(UserDomain::rootedAt(folder.path())) {}

    int run(const std::vector<std::string>& arguments) {
        output.str("");
        errors.str("");
        Launchctl launchctl(
            [this]() -> ServiceManager& {
                ++managersMade;
                return services;
            },
            files, HelperToolMap("/B/Contents/Helpers"),
            [this](const std::string& executable, const std::vector<std::string>& arguments) {
                executed = executable;
                executedArguments = arguments;
                return 9;
            },
            501, output, errors);
        return launchctl.run(arguments);
    }

    TemporaryFolder folder;
    PosixFileManager files;
    RecordingServiceManager services;
    int managersMade = 0;
    std::string executed;
    std::vector<std::string> executedArguments;
    std::ostringstream output;
    std::ostringstream errors;
};

} // namespace

// Arguments and the exit status passing through are checked with the real program.
TEST_F(LaunchctlTest, AsuserRunsTheCommandWithMacToolPathsMappedToSiblings) {
    for (auto [macPath, sibling] : std::vector<std::pair<std::string, std::string>>{
             {"/usr/bin/shortcuts", "shortcuts"}, {"/usr/bin/open", "open"}, {"/bin/launchctl", "launchctl"},
             {"/usr/bin/osascript", "osascript"}}) {
        EXPECT_EQ(run({"asuser", "501", macPath, "run"}), 9);
        EXPECT_EQ(executed, "/B/Contents/Helpers/" + sibling);
        EXPECT_EQ(executedArguments, std::vector<std::string>{"run"});
    }
    run({"asuser", "501", "/usr/bin/env", "A=1"});
    EXPECT_EQ(executed, "/usr/bin/env");
    // Running a command never needs a service manager (and never probes for one).
    EXPECT_EQ(managersMade, 0);
}

// Another user's asuser is refused through the real program.
TEST_F(LaunchctlTest, RefusesAnyoneElsesDomainAndUnknownCommands) {
    EXPECT_EQ(run({"print", "gui/502/com.example.agent"}), LaunchctlError::permissionStatus);
    EXPECT_EQ(run({"bootout", "gui/0/com.example.agent"}), LaunchctlError::permissionStatus);
    EXPECT_TRUE(services.calls.empty());
    EXPECT_EQ(run({"frobnicate"}), LaunchctlError::usageStatus);
    EXPECT_NE(errors.str().find("Usage: launchctl"), std::string::npos);
}

// The printed fields are checked through the real program.
TEST_F(LaunchctlTest, ServiceCommandsReachTheManagerAndReportAnUnloadedAgent) {
    auto plist = folder / "Library/LaunchAgents/com.example.agent.plist";
    writeText(plist, agentPlist);
    EXPECT_EQ(run({"bootstrap", "gui/501", plist.string()}), 0);
    EXPECT_EQ(run({"bootout", "gui/501", plist.string()}), 0);
    EXPECT_EQ(run({"kickstart", "-k", "gui/501/com.example.agent"}), 0);
    EXPECT_EQ(run({"kickstart", "gui/501/com.example.agent"}), 0);
    EXPECT_EQ(run({"print", "gui/501/com.example.agent"}), 0);
    EXPECT_NE(output.str().find("gui/501/com.example.agent = {"), std::string::npos);
    EXPECT_EQ(services.calls,
              (std::vector<std::string>{"bootstrap com.example.agent " + plist.string(), "bootout com.example.agent",
                                        "kickstart -k com.example.agent", "kickstart com.example.agent",
                                        "status com.example.agent"}));

    services.loaded = false;
    EXPECT_EQ(run({"bootout", "gui/501/com.example.agent"}), LaunchctlError::noSuchProcessStatus);
    EXPECT_EQ(errors.str(), "Boot-out failed: 3: No such process\n");
    EXPECT_EQ(run({"print", "gui/501/com.example.agent"}), LaunchctlError::serviceNotFoundStatus);
    EXPECT_TRUE(output.str().empty());
    EXPECT_EQ(errors.str(), "Could not find service \"com.example.agent\" in domain gui/501\n");

    services.calls.clear();
    EXPECT_EQ(run({"bootstrap", "gui/501", (folder / "missing.plist").string()}), LaunchctlError::ioStatus);
    writeText(folder / "broken.plist", "<plist><dict><key>Label</key>");
    EXPECT_EQ(run({"bootstrap", "gui/501", (folder / "broken.plist").string()}), LaunchctlError::ioStatus);
    EXPECT_NE(errors.str().find("Bootstrap failed: 5: Input/output error"), std::string::npos);
    EXPECT_TRUE(services.calls.empty());
}
