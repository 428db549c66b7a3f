#include "helpers/launchctl/LaunchAgentDefinition.h"
#include "helpers/launchctl/LaunchctlError.h"
#include "setup/service/SD4AgentPropertyList.h"

#include <gtest/gtest.h>

using namespace quillstone;

namespace {

// The monitor agent exactly as the wizard writes it.
const std::string monitorPlist =
    SD4AgentPropertyList{"com.quillstone.monitor", "/Applications/Quillstone.app/Contents/MacOS/quillstone-setup",
                         "--quillstone-sd4-monitor", "Background", "/home/ann", "ann"}
        .xml();

std::string plistWith(const std::string& body) {
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><plist version=\"1.0\"><dict>" + body + "</dict></plist>";
}

int bootstrapStatus(const std::string& bytes) {
    try {
        LaunchAgentDefinition::fromPropertyList(bytes);
    } catch (const LaunchctlError& error) {
        return error.status();
    }
    return 0;
}

} // namespace

// Binary lists are read by Plist, checked with it.
TEST(LaunchAgentDefinition, ReadsTheMonitorAgentAsTheWizardWritesIt) {
    auto definition = LaunchAgentDefinition::fromPropertyList(monitorPlist);
    EXPECT_EQ(definition.label, "com.quillstone.monitor");
    EXPECT_EQ(definition.programArguments,
              (std::vector<std::string>{"/Applications/Quillstone.app/Contents/MacOS/quillstone-setup",
                                        "--quillstone-sd4-monitor"}));
    EXPECT_TRUE(definition.runAtLoad);
    EXPECT_EQ(definition.keepAlive, LaunchAgentDefinition::KeepAlive::always);
    EXPECT_EQ(definition.environment.at("PATH"), "/usr/bin:/bin:/usr/sbin:/sbin");
    EXPECT_EQ(definition.environment.at("LOGNAME"), "ann");
    EXPECT_FALSE(definition.standardOutputPath);
}

TEST(LaunchAgentDefinition, ReadsOptionalKeysLaunchdKnows) {
    auto definition = LaunchAgentDefinition::fromPropertyList(plistWith(
        "<key>Label</key><string>a.b</string><key>Program</key><string>/bin/prog</string>"
        "<key>ProgramArguments</key><array><string>prog</string><string>-x</string></array>"
        "<key>KeepAlive</key><dict><key>SuccessfulExit</key><false/></dict>"
        "<key>ThrottleInterval</key><integer>3</integer><key>ExitTimeOut</key><integer>1</integer>"
        "<key>StandardOutPath</key><string>/tmp/out.log</string><key>WorkingDirectory</key><string>/tmp</string>"));
    EXPECT_EQ(definition.programArguments, (std::vector<std::string>{"/bin/prog", "-x"}));
    EXPECT_EQ(definition.keepAlive, LaunchAgentDefinition::KeepAlive::afterFailure);
    EXPECT_EQ(definition.throttleInterval, std::chrono::seconds(3));
    EXPECT_EQ(definition.exitTimeout, std::chrono::seconds(1));
    EXPECT_EQ(definition.standardOutputPath, std::filesystem::path("/tmp/out.log"));
    EXPECT_FALSE(definition.runAtLoad);
}

TEST(LaunchAgentDefinition, RefusesPropertyListsLaunchdWouldRefuse) {
    const std::string arguments = "<key>ProgramArguments</key><array><string>/bin/true</string></array>";
    const std::string labelled = "<key>Label</key><string>a</string>" + arguments;
    for (const std::string& bytes : {
             std::string("not a plist"),
             std::string("<?xml version=\"1.0\"?><plist version=\"1.0\"><array/></plist>"),
             plistWith(arguments), // no label
             plistWith("<key>Label</key><string>../x</string>" + arguments),
             plistWith("<key>Label</key><string>a</string>"), // nothing to run
             plistWith("<key>Label</key><string>a</string><key>ProgramArguments</key><array><integer>1</integer></array>"),
             plistWith(labelled + "<key>RunAtLoad</key><string>yes</string>"),
             plistWith(labelled + "<key>EnvironmentVariables</key><dict><key>A</key><integer>1</integer></dict>"),
             plistWith(labelled + "<key>EnvironmentVariables</key><dict><key>A=B</key><string>1</string></dict>"),
         }) {
        EXPECT_EQ(bootstrapStatus(bytes), LaunchctlError::ioStatus) << bytes;
    }
    EXPECT_EQ(bootstrapStatus(plistWith(labelled)), 0);
}
